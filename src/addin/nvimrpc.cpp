#include "addin/nvimrpc.h"

#define MSGPACK_NO_BOOST
#include <msgpack.hpp>

#include <QElapsedTimer>
#include <cerrno>
#include <map>
#include <poll.h>
#include <unistd.h>

#include "addin/host.h"

namespace addin::nvim {

namespace {

void Pack(msgpack::packer<msgpack::sbuffer>& pk, const QVariant& v) {
    if (v.canConvert<Handle>() && v.userType() == qMetaTypeId<Handle>()) {
        const Handle h = v.value<Handle>();
        msgpack::sbuffer inner;
        msgpack::pack(inner, h.id);
        pk.pack_ext(inner.size(), h.type);
        pk.pack_ext_body(inner.data(), inner.size());
        return;
    }
    switch (v.typeId()) {
    case QMetaType::UnknownType: pk.pack_nil(); break;
    case QMetaType::Bool: pk.pack(v.toBool()); break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: pk.pack(v.toLongLong()); break;
    case QMetaType::Double: pk.pack(v.toDouble()); break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        pk.pack_bin(uint32_t(b.size()));
        pk.pack_bin_body(b.constData(), uint32_t(b.size()));
        break;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        const QVariantList l = v.toList();
        pk.pack_array(uint32_t(l.size()));
        for (const QVariant& e : l) Pack(pk, e);
        break;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap m = v.toMap();
        pk.pack_map(uint32_t(m.size()));
        for (auto it = m.begin(); it != m.end(); ++it) {
            Pack(pk, it.key());
            Pack(pk, it.value());
        }
        break;
    }
    default: {
        const QByteArray s = v.toString().toUtf8();
        pk.pack_str(uint32_t(s.size()));
        pk.pack_str_body(s.constData(), uint32_t(s.size()));
    }
    }
}

QVariant Unpack(const msgpack::object& o) {
    switch (o.type) {
    case msgpack::type::NIL: return {};
    case msgpack::type::BOOLEAN: return o.via.boolean;
    case msgpack::type::POSITIVE_INTEGER: return qint64(o.via.u64);
    case msgpack::type::NEGATIVE_INTEGER: return qint64(o.via.i64);
    case msgpack::type::FLOAT32:
    case msgpack::type::FLOAT64: return o.via.f64;
    case msgpack::type::STR: return QString::fromUtf8(o.via.str.ptr, int(o.via.str.size));
    case msgpack::type::BIN: return QByteArray(o.via.bin.ptr, int(o.via.bin.size));
    case msgpack::type::ARRAY: {
        QVariantList l;
        for (uint32_t i = 0; i < o.via.array.size; ++i) l << Unpack(o.via.array.ptr[i]);
        return l;
    }
    case msgpack::type::MAP: {
        QVariantMap m;
        for (uint32_t i = 0; i < o.via.map.size; ++i)
            m.insert(Unpack(o.via.map.ptr[i].key).toString(), Unpack(o.via.map.ptr[i].val));
        return m;
    }
    case msgpack::type::EXT: {
        Handle h;
        h.type = o.via.ext.type();
        msgpack::object_handle inner = msgpack::unpack(o.via.ext.data(), o.via.ext.size);
        h.id = inner.get().as<int64_t>();
        return QVariant::fromValue(h);
    }
    }
    return {};
}

[[noreturn]] void Gone() { throw HostError(440, QStringLiteral("The editor is no longer connected.")); }

}  // namespace

struct Rpc::Impl {
    msgpack::unpacker unpacker;
    std::map<quint32, std::pair<QVariant, QVariant>> answers;  // id -> (error, result)
};

QVariant HandleValue(const Handle& h) { return QVariant::fromValue(h); }
Handle ToHandle(const QVariant& v) { return v.value<Handle>(); }

Rpc::Rpc(int readFd, int writeFd, int timeoutMs)
    : readFd_(readFd), writeFd_(writeFd), timeoutMs_(timeoutMs), d(std::make_unique<Impl>()) {}
Rpc::~Rpc() = default;

bool Rpc::ReadSome(int waitMs) {
    pollfd p{readFd_, POLLIN, 0};
    const int r = ::poll(&p, 1, waitMs);
    if (r <= 0) return r == 0;  // nothing yet (or an interrupted wait)
    d->unpacker.reserve_buffer(1 << 16);
    const ssize_t n = ::read(readFd_, d->unpacker.buffer(), d->unpacker.buffer_capacity());
    if (n <= 0) {
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
        lost_ = true;
        return false;
    }
    d->unpacker.buffer_consumed(size_t(n));
    msgpack::object_handle oh;
    while (d->unpacker.next(oh)) {
        const QVariantList m = Unpack(oh.get()).toList();
        const int kind = m.value(0).toInt();
        if (kind == 1) {
            d->answers[quint32(m.value(1).toLongLong())] = {m.value(2), m.value(3)};
        } else if (kind == 2) {
            notifications_.push_back({m.value(1).toString(), m.value(2).toList()});
        } else if (kind == 0) {
            // The editor asking us something: we offer no methods, so say so.
            msgpack::sbuffer buffer;
            msgpack::packer<msgpack::sbuffer> pk(buffer);
            pk.pack_array(4);
            pk.pack(1);
            pk.pack(m.value(1).toLongLong());
            Pack(pk, QStringLiteral("no such method"));
            pk.pack_nil();
            (void)::write(writeFd_, buffer.data(), buffer.size());
        }
    }
    return true;
}

Value Rpc::Request(const QString& method, const QVariantList& params) {
    if (lost_) Gone();
    const quint32 id = nextId_++;
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> pk(buffer);
    pk.pack_array(4);
    pk.pack(0);
    pk.pack(id);
    Pack(pk, method);
    Pack(pk, params);
    size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::write(writeFd_, buffer.data() + done, buffer.size() - done);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            lost_ = true;
            Gone();
        }
        done += size_t(n);
    }
    QElapsedTimer t;
    t.start();
    while (d->answers.find(id) == d->answers.end()) {
        const qint64 left = timeoutMs_ - t.elapsed();
        if (left <= 0) throw HostError(441, QStringLiteral("The editor did not answer %1.").arg(method));
        if (!ReadSome(int(left))) Gone();
    }
    const auto answer = d->answers[id];
    d->answers.erase(id);
    if (!answer.first.isNull()) {
        const QVariantList e = answer.first.toList();
        throw HostError(442, e.size() > 1 ? e[1].toString() : answer.first.toString());
    }
    return answer.second;
}

bool Rpc::Poll() {
    while (!lost_) {
        pollfd p{readFd_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) break;
        if (!ReadSome(0)) break;
    }
    return !lost_;
}

bool Rpc::TakeNotification(Notification& n) {
    if (notifications_.empty()) return false;
    n = notifications_.front();
    notifications_.pop_front();
    return true;
}

}  // namespace addin::nvim
