#include "TestZip.h"

#include <QFile>

#include <zip.h>

bool writeZipForTest(const QString &path, const QList<QPair<QString, QByteArray>> &entries)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto &[name, content] : entries) {
        zip_source_t *source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        if (!source || zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0; // the buffers are read here, while entries still holds them
}

QByteArray entityBomb()
{
    QByteArray dtd = "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY e0 \"报价报价报价报价\">";
    for (int level = 1; level <= 20; ++level) {
        dtd += "<!ENTITY e" + QByteArray::number(level) + " \"";
        for (int k = 0; k < 10; ++k)
            dtd += "&e" + QByteArray::number(level - 1) + ";";
        dtd += "\">";
    }
    return dtd + "]>";
}
