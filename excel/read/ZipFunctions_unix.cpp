// The functions of libzip the readers call, found in the library when a workbook is first opened:
// a program that never reads a .xlsx or .ods (an .xls import, a fill from a database, the group
// quote) does not load libzip and what it depends on at its start.
#include "common/LazyLibrary.h"

#include <zip.h>

namespace {
LazyLibrary libzip(QUILVAR_LIBZIP_FILE_NAME);
}

extern "C" {
QUILVAR_LAZY_FUNCTION(libzip, void, zip_discard, (zip_t * archive), (archive))
QUILVAR_LAZY_FUNCTION(libzip, zip_error_t *, zip_get_error, (zip_t * archive), (archive))
QUILVAR_LAZY_FUNCTION(libzip, int, zip_error_code_zip, (const zip_error_t *error), (error))
QUILVAR_LAZY_FUNCTION(libzip, void, zip_error_fini, (zip_error_t * error), (error))
QUILVAR_LAZY_FUNCTION(libzip, void, zip_error_init, (zip_error_t * error), (error))
QUILVAR_LAZY_FUNCTION(libzip, int, zip_fclose, (zip_file_t * file), (file))
QUILVAR_LAZY_FUNCTION(libzip, zip_file_t *, zip_fopen_index, (zip_t * archive, zip_uint64_t index, zip_flags_t flags),
                      (archive, index, flags))
QUILVAR_LAZY_FUNCTION(libzip, zip_int64_t, zip_fread, (zip_file_t * file, void *buffer, zip_uint64_t size),
                      (file, buffer, size))
QUILVAR_LAZY_FUNCTION(libzip, zip_int64_t, zip_name_locate, (zip_t * archive, const char *name, zip_flags_t flags),
                      (archive, name, flags))
QUILVAR_LAZY_FUNCTION(libzip, zip_t *, zip_open, (const char *path, int flags, int *error), (path, flags, error))
QUILVAR_LAZY_FUNCTION(libzip, zip_t *, zip_open_from_source, (zip_source_t * source, int flags, zip_error_t *error),
                      (source, flags, error))
QUILVAR_LAZY_FUNCTION(libzip, zip_source_t *, zip_source_buffer_create,
                      (const void *data, zip_uint64_t size, int freeWhenDone, zip_error_t *error),
                      (data, size, freeWhenDone, error))
QUILVAR_LAZY_FUNCTION(libzip, void, zip_source_free, (zip_source_t * source), (source))
QUILVAR_LAZY_FUNCTION(libzip, int, zip_stat_index,
                      (zip_t * archive, zip_uint64_t index, zip_flags_t flags, zip_stat_t *stat),
                      (archive, index, flags, stat))
QUILVAR_LAZY_FUNCTION(libzip, void, zip_stat_init, (zip_stat_t * stat), (stat))
}
