// Editor messages: any bytes from the editor end in an answer, an error or a dropped
// editor, never a crash; once the bytes run out the editor counts as gone.
#include <QtGlobal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "addin/host.h"
#include "addin/nvimrpc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int quiet = (qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}), 0);
    (void)quiet;
    static const int sink = ::open("/dev/null", O_WRONLY);
    const int in = memfd_create("editor", 0);
    if (in < 0 || sink < 0) std::abort();
    if (size > 0 && ::write(in, data, size) != ssize_t(size)) std::abort();
    ::lseek(in, 0, SEEK_SET);
    {
        addin::nvim::Rpc rpc(in, sink, 1000);
        try {
            (void)rpc.Request(QStringLiteral("nvim_get_current_buf"), {});
        } catch (const addin::HostError&) {
        }
        if (rpc.Poll() || !rpc.Lost()) std::abort();
        addin::nvim::Notification n;
        while (rpc.TakeNotification(n)) {
        }
    }
    ::close(in);
    return 0;
}
