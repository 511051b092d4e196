#include "base/data_file.h"

#include "base/tool_error.h"

#include <QFile>
#include <QStringDecoder>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

[[noreturn]] void cannotRead(const QString& path, int error) {
    throw ToolError(
        QStringLiteral("无法读取文件：%1（%2）").arg(echoed(path), qt_error_string(error)));
}

[[noreturn]] void tooLarge(const QString& path) {
    throw ToolError(QStringLiteral("文件 %1 超过数据文件 %2 MB 的上限，不予读取")
                        .arg(echoed(path))
                        .arg(kDataFileMaxBytes >> 20));
}

// Stateless: a sequence cut off at the end of the file counts as an error too.
bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes); // decodes, and so finds the errors, here
    return !decoder.hasError();
}

} // namespace

QByteArray readDataFile(const QString& path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come. The checks
    // below are made on the open file, so what is read is what was checked.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ToolError(QStringLiteral("文件未找到或无法打开：%1（%2）")
                            .arg(echoed(path), qt_error_string(errno)));
    const FileCloser closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        cannotRead(path, errno);
    if (!S_ISREG(info.st_mode))
        throw ToolError(
            QStringLiteral("%1 不是普通文件（而是文件夹、设备或管道），不能作为数据文件读取")
                .arg(echoed(path)));
    if (info.st_size > kDataFileMaxBytes)
        tooLarge(path);
    // One byte more than the cap is asked for, in case the file grew since fstat.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > kDataFileMaxBytes)
                tooLarge(path);
            bytes.resize(std::min<qsizetype>(got * 2, kDataFileMaxBytes + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            cannotRead(path, errno);
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

QString lineTextProblem(const QByteArray& bytes) {
    const bool utf16Bom = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    // Without a byte-order mark, UTF-16 shows itself by a zero byte beside the first character.
    const bool utf16Zero = bytes.size() >= 2 && (bytes[0] == '\0') != (bytes[1] == '\0');
    if (utf16Bom || utf16Zero)
        return QStringLiteral("文件是 UTF-16 编码，请另存为 UTF-8");
    if (bytes.contains('\r') && !bytes.contains('\n'))
        return QStringLiteral("文件只用 CR 换行，请改用 LF 或 CR LF 换行");
    return {};
}

QString plainTextProblem(const QByteArray& bytes) {
    if (const QString why = lineTextProblem(bytes); !why.isEmpty())
        return why;
    if (bytes.contains('\0'))
        return QStringLiteral("文件含有 NUL 字节，不是文本文件");
    if (!isUtf8(bytes))
        return QStringLiteral(
            "文件不是 UTF-8 文本（二进制文件，或 GBK 等其他编码），请另存为 UTF-8");
    return {};
}

QByteArray withoutBom(const QByteArray& bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}
