#include "excel/XlsxWriterSupport.h"

#include <QFile>
#include <QSaveFile>

QString XlsxWriterMessage(lxw_error code)
{
    switch (code) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("内存不足。");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("有单元格的文字超过 32767 个字符，Excel 不能保存。");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
        return QStringLiteral("无法创建文件（%1）。").arg(QString::fromUtf8(lxw_strerror(code)));
    default:
        return QString::fromUtf8(lxw_strerror(code));
    }
}

bool ReplaceWithWrittenFile(const QString &scratchPath, const QString &path, QString *error)
{
    QFile written(scratchPath);
    if (!written.open(QIODevice::ReadOnly)) {
        *error = written.errorString();
        return false;
    }
    const QByteArray bytes = written.readAll();
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() || !target.commit()) {
        *error = target.errorString();
        return false;
    }
    return true;
}
