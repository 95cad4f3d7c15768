#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <zip.h>

#include <cstddef>
#include <cstdint>

// Fuzz input for the zipped workbook readers. A first byte with its low bit clear hands the rest
// over as a whole file, zip framing and all. With the bit set, the rest is split at "\n--\n" into
// the XML of the parts named, which are zipped properly, so that the fuzzer spends its time on the
// XML the readers parse rather than on checksums; a part not given keeps its default.
using PackageParts = QList<QPair<QByteArray, QByteArray>>;

inline QByteArray ZipInMemory(const PackageParts &parts)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(buffer);
        return QByteArray();
    }
    zip_source_keep(buffer);
    for (const auto &[name, content] : parts) {
        zip_source_t *source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        if (source && zip_file_add(archive, name.constData(), source, ZIP_FL_OVERWRITE) < 0)
            zip_source_free(source);
    }
    QByteArray bytes;
    if (zip_close(archive) != 0) {
        zip_discard(archive);
    } else if (zip_source_open(buffer) == 0) {
        char chunk[65536];
        zip_int64_t got;
        while ((got = zip_source_read(buffer, chunk, sizeof chunk)) > 0)
            bytes.append(chunk, qsizetype(got));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

inline QByteArray FuzzPackage(const uint8_t *data, size_t size, PackageParts parts)
{
    if (size == 0)
        return QByteArray();
    const QByteArray rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    if ((data[0] & 1) == 0)
        return rest;
    qsizetype start = 0;
    for (auto &part : parts) {
        if (start > rest.size())
            break;
        qsizetype end = rest.indexOf("\n--\n", start);
        if (end < 0)
            end = rest.size();
        part.second = rest.mid(start, end - start);
        start = end + 4;
    }
    return ZipInMemory(parts);
}
