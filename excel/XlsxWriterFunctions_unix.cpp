// The functions of libxlsxwriter the workbooks are written with, found in the library when a
// workbook is first written: a program that writes none (an import, a fill, the group quote) does
// not load libxlsxwriter and what it depends on at its start.
#include "common/LazyLibrary.h"

#include <xlsxwriter.h>

namespace {
LazyLibrary libxlsxwriter(QUILVAR_LIBXLSXWRITER_FILE_NAME);
}

#define QUILVAR_WRITER_FUNCTION(result, name, parameters, arguments)                                                   \
    QUILVAR_LAZY_FUNCTION(libxlsxwriter, result, name, parameters, arguments)

extern "C" {
QUILVAR_WRITER_FUNCTION(lxw_workbook *, workbook_new_opt, (const char *fileName, lxw_workbook_options *options),
                        (fileName, options))
QUILVAR_WRITER_FUNCTION(lxw_format *, workbook_add_format, (lxw_workbook * workbook), (workbook))
QUILVAR_WRITER_FUNCTION(lxw_worksheet *, workbook_add_worksheet, (lxw_workbook * workbook, const char *name),
                        (workbook, name))
QUILVAR_WRITER_FUNCTION(lxw_error, workbook_close, (lxw_workbook * workbook), (workbook))

QUILVAR_WRITER_FUNCTION(void, format_set_align, (lxw_format * format, uint8_t alignment), (format, alignment))
QUILVAR_WRITER_FUNCTION(void, format_set_bold, (lxw_format * format), (format))
QUILVAR_WRITER_FUNCTION(void, format_set_border, (lxw_format * format, uint8_t style), (format, style))
QUILVAR_WRITER_FUNCTION(void, format_set_font_name, (lxw_format * format, const char *name), (format, name))
QUILVAR_WRITER_FUNCTION(void, format_set_font_size, (lxw_format * format, double size), (format, size))
QUILVAR_WRITER_FUNCTION(void, format_set_text_wrap, (lxw_format * format), (format))

QUILVAR_WRITER_FUNCTION(void, worksheet_fit_to_pages, (lxw_worksheet * sheet, uint16_t width, uint16_t height),
                        (sheet, width, height))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_insert_image_buffer_opt,
                        (lxw_worksheet * sheet, lxw_row_t row, lxw_col_t column, const unsigned char *image,
                         size_t size, lxw_image_options *options),
                        (sheet, row, column, image, size, options))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_merge_range,
                        (lxw_worksheet * sheet, lxw_row_t firstRow, lxw_col_t firstColumn, lxw_row_t lastRow,
                         lxw_col_t lastColumn, const char *text, lxw_format *format),
                        (sheet, firstRow, firstColumn, lastRow, lastColumn, text, format))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_repeat_rows, (lxw_worksheet * sheet, lxw_row_t first, lxw_row_t last),
                        (sheet, first, last))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_set_column,
                        (lxw_worksheet * sheet, lxw_col_t first, lxw_col_t last, double width, lxw_format *format),
                        (sheet, first, last, width, format))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_set_footer, (lxw_worksheet * sheet, const char *text), (sheet, text))
QUILVAR_WRITER_FUNCTION(void, worksheet_set_margins,
                        (lxw_worksheet * sheet, double left, double right, double top, double bottom),
                        (sheet, left, right, top, bottom))
QUILVAR_WRITER_FUNCTION(void, worksheet_set_paper, (lxw_worksheet * sheet, uint8_t paper), (sheet, paper))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_set_row,
                        (lxw_worksheet * sheet, lxw_row_t row, double height, lxw_format *format),
                        (sheet, row, height, format))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_write_blank,
                        (lxw_worksheet * sheet, lxw_row_t row, lxw_col_t column, lxw_format *format),
                        (sheet, row, column, format))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_write_number,
                        (lxw_worksheet * sheet, lxw_row_t row, lxw_col_t column, double number, lxw_format *format),
                        (sheet, row, column, number, format))
QUILVAR_WRITER_FUNCTION(lxw_error, worksheet_write_string,
                        (lxw_worksheet * sheet, lxw_row_t row, lxw_col_t column, const char *text, lxw_format *format),
                        (sheet, row, column, text, format))
}
