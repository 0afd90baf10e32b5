#include "addin/nvimrpc.h"

#define MSGPACK_NO_BOOST
#include <msgpack.hpp>

#include <QElapsedTimer>
#include <cerrno>
#include <map>
#include <stdexcept>
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
    case QMetaType::UnknownType:
        pk.pack_nil();
        break;
    case QMetaType::Bool:
        pk.pack(v.toBool());
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        pk.pack(v.toLongLong());
        break;
    case QMetaType::Double:
        pk.pack(v.toDouble());
        break;
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

// What the editor may send: its answers hold buffer lines and its API description,
// far below these; a message beyond them is an attack or a broken editor, and the
// bounds keep one header from claiming gigabytes or nesting past the stack.
const msgpack::unpack_limit kLimits(/*array*/ 1u << 16, /*map*/ 1u << 16, /*str*/ 16u << 20, /*bin*/ 16u << 20,
                                    /*ext*/ 16, /*depth*/ 32);
constexpr size_t kMaxMessage = 64u << 20;

struct ProtocolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool IsInteger(const msgpack::object& o) {
    return o.type == msgpack::type::POSITIVE_INTEGER || o.type == msgpack::type::NEGATIVE_INTEGER;
}

QVariant Unpack(const msgpack::object& o) {
    switch (o.type) {
    case msgpack::type::NIL:
        return {};
    case msgpack::type::BOOLEAN:
        return o.via.boolean;
    case msgpack::type::POSITIVE_INTEGER:
        return qint64(o.via.u64);
    case msgpack::type::NEGATIVE_INTEGER:
        return qint64(o.via.i64);
    case msgpack::type::FLOAT32:
    case msgpack::type::FLOAT64:
        return o.via.f64;
    case msgpack::type::STR:
        return QString::fromUtf8(o.via.str.ptr, int(o.via.str.size));
    case msgpack::type::BIN:
        return QByteArray(o.via.bin.ptr, int(o.via.bin.size));
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
        // A handle is one whole integer inside the extension.
        Handle h;
        h.type = o.via.ext.type();
        size_t used = 0;
        msgpack::object_handle inner =
            msgpack::unpack(o.via.ext.data(), o.via.ext.size, used, nullptr, nullptr, kLimits);
        if (used != o.via.ext.size || !IsInteger(inner.get())) throw ProtocolError("a handle that is not a number");
        h.id = inner.get().as<int64_t>();
        return QVariant::fromValue(h);
    }
    }
    return {};
}

[[noreturn]] void Gone() { throw HostError(440, QStringLiteral("The editor is no longer connected.")); }

}  // namespace

struct Rpc::Impl {
    msgpack::unpacker unpacker{[](msgpack::type::object_type, std::size_t, void*) { return true; }, nullptr,
                               MSGPACK_UNPACKER_INIT_BUFFER_SIZE, kLimits};
    std::map<quint32, std::pair<QVariant, QVariant>> answers;  // id -> (error, result)
    void Take(Rpc& rpc, const msgpack::object& message);
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
    try {
        d->unpacker.reserve_buffer(1 << 16);
        const ssize_t n = ::read(readFd_, d->unpacker.buffer(), d->unpacker.buffer_capacity());
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
            lost_ = true;
            return false;
        }
        d->unpacker.buffer_consumed(size_t(n));
        msgpack::object_handle oh;
        while (d->unpacker.next(oh)) d->Take(*this, oh.get());
        if (d->unpacker.message_size() > kMaxMessage) throw ProtocolError("a message too long");
    } catch (const std::exception& e) {
        // A message we cannot read leaves the stream out of step for good: the editor
        // is dropped as if it had gone, and what the user has open stays.
        qWarning("snippary: a broken message from the editor (%s); the editor is dropped", e.what());
        lost_ = true;
        return false;
    }
    return true;
}

void Rpc::Impl::Take(Rpc& rpc, const msgpack::object& message) {
    // [0, id, method, params] request, [1, id, error, result] answer, [2, method, params] notification.
    if (message.type != msgpack::type::ARRAY || message.via.array.size < 3) throw ProtocolError("not a message");
    const msgpack::object* part = message.via.array.ptr;
    const uint32_t size = message.via.array.size;
    if (part[0].type != msgpack::type::POSITIVE_INTEGER) throw ProtocolError("no message kind");
    const uint64_t kind = part[0].via.u64;
    if (kind == 2 && size == 3) {
        if (part[1].type != msgpack::type::STR) throw ProtocolError("a notification without a name");
        rpc.notifications_.push_back({Unpack(part[1]).toString(), Unpack(part[2]).toList()});
        return;
    }
    if (size != 4 || kind > 1 || part[1].type != msgpack::type::POSITIVE_INTEGER) throw ProtocolError("a bad message");
    const uint64_t id = part[1].via.u64;
    if (kind == 1) {
        // Only the request we wait for takes an answer; a late one is dropped.
        if (id == rpc.awaiting_) answers[quint32(id)] = {Unpack(part[2]), Unpack(part[3])};
        return;
    }
    // The editor asking us something: we offer no methods, so say so.
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> pk(buffer);
    pk.pack_array(4);
    pk.pack(1);
    pk.pack(id);
    Pack(pk, QStringLiteral("no such method"));
    pk.pack_nil();
    rpc.Send(buffer.data(), buffer.size());
}

bool Rpc::Send(const char* data, size_t size) {
    size_t done = 0;
    while (done < size && !lost_) {
        const ssize_t n = ::write(writeFd_, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            lost_ = true;
        else
            done += size_t(n);
    }
    return !lost_;
}

void Rpc::Notify(const QString& method, const QVariantList& params) {
    if (lost_) return;
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> pk(buffer);
    pk.pack_array(3);
    pk.pack(2);
    Pack(pk, method);
    Pack(pk, params);
    Send(buffer.data(), buffer.size());
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
    if (!Send(buffer.data(), buffer.size())) Gone();
    awaiting_ = id;
    QElapsedTimer t;
    t.start();
    while (d->answers.find(id) == d->answers.end()) {
        const qint64 left = timeoutMs_ - t.elapsed();
        if (left <= 0) throw HostError(441, QStringLiteral("The editor did not answer %1.").arg(method));
        if (!ReadSome(int(left))) Gone();
    }
    awaiting_ = 0;
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
