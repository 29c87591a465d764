#pragma once
// The template files of the database tool: UTF-8 text in the comma-separated form of RFC 4180.
// A field holding a comma, a double quote or a line break is enclosed in double quotes, with
// every double quote inside doubled; line breaks inside such a field belong to the field.
#include <string>
#include <vector>

struct CsvRow {
    int line = 0; // the line of the file the row starts on, from 1
    std::vector<std::string> fields;
};

struct CsvError {
    int line = 0;
    std::string reason; // a sentence in plain words
};

// Reads a whole file. A UTF-8 byte-order mark at the start is skipped; rows end with CR LF,
// LF or CR. False, with the line and the reason, when any part of the file cannot be read
// exactly: bytes that are not UTF-8, a quote inside a field without quotes, text after a
// closing quote, a quoted field the file ends in.
bool ReadCsv(const std::string& bytes, std::vector<CsvRow>& rows, CsvError& error);

// The offset of the first byte that does not belong to well-formed UTF-8, or npos.
size_t FindInvalidUtf8(const std::string& text);

// One field as written into a file: quoted only when it must be, so that an empty text is
// "" and never a blank line.
std::string CsvField(const std::string& text);

// Fields joined with commas, ended with CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);

// A spreadsheet evaluates a cell that starts with '=', '+', '-', '@', a tab or a carriage return
// ("+86 138 ..." becomes a number, "-- 请稍等 --" #NAME?). An apostrophe in front makes it show
// the text. Export puts one in front of such a text, and of a text that starts with an
// apostrophe itself, so that import can take exactly one off every text that starts with one:
// FromSpreadsheetCell(SpreadsheetCell(text)) == text for every text.
std::string SpreadsheetCell(const std::string& text);
std::string FromSpreadsheetCell(const std::string& cell);

// The UTF-8 byte-order mark, with which exported files start: spreadsheet programs on
// Chinese Windows read a file without it in code page 936.
extern const char* const kUtf8ByteOrderMark;
