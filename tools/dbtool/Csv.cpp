#include "Csv.h"

#include "common/Text.h"

const char* const kUtf8ByteOrderMark = "\xEF\xBB\xBF";

#include <cstdio>

namespace {

class Reader {
public:
    Reader(const std::string& bytes, size_t start) : bytes_(bytes), pos_(start) {}

    bool read(std::vector<CsvRow>& rows, CsvError& error)
    {
        while (pos_ < bytes_.size()) {
            CsvRow row;
            row.line = line_;
            for (;;) {
                std::string field;
                if (!readField(field, error))
                    return false;
                row.fields.push_back(std::move(field));
                if (pos_ < bytes_.size() && bytes_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                break;
            }
            skipLineBreak();
            rows.push_back(std::move(row));
        }
        return true;
    }

private:
    bool atLineEnd() const { return pos_ >= bytes_.size() || bytes_[pos_] == '\r' || bytes_[pos_] == '\n'; }

    void skipLineBreak()
    {
        if (pos_ < bytes_.size() && bytes_[pos_] == '\r')
            ++pos_;
        if (pos_ < bytes_.size() && bytes_[pos_] == '\n')
            ++pos_;
        ++line_;
    }

    bool fail(CsvError& error, int line, const char* reason)
    {
        error.line = line;
        error.reason = reason;
        return false;
    }

    bool readField(std::string& field, CsvError& error)
    {
        if (pos_ < bytes_.size() && bytes_[pos_] == '"')
            return readQuotedField(field, error);
        const size_t start = pos_;
        while (!atLineEnd() && bytes_[pos_] != ',') {
            if (bytes_[pos_] == '"')
                return fail(
                    error, line_,
                    "字段中有双引号, 但字段没有用双引号括起来 (这样的字段要整个括在双引号里, 其中的双引号写成两个)");
            ++pos_;
        }
        field.assign(bytes_, start, pos_ - start);
        return true;
    }

    bool readQuotedField(std::string& field, CsvError& error)
    {
        const int startLine = line_;
        ++pos_;
        for (;;) {
            if (pos_ >= bytes_.size())
                return fail(error, startLine, "从这一行开始的带双引号的字段直到文件末尾都没有结束 (文件可能不完整)");
            const char c = bytes_[pos_++];
            if (c == '"') {
                if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
                    field += '"';
                    ++pos_;
                    continue;
                }
                break;
            }
            if (c == '\n' || (c == '\r' && (pos_ >= bytes_.size() || bytes_[pos_] != '\n')))
                ++line_;
            field += c;
        }
        if (!atLineEnd() && bytes_[pos_] != ',')
            return fail(error, line_, "字段的结束双引号后面还有文字 (字段中的双引号要写成两个)");
        return true;
    }

    const std::string& bytes_;
    size_t pos_;
    int line_ = 1;
};

} // namespace

size_t FindInvalidUtf8(const std::string& text)
{
    size_t pos = 0;
    while (pos < text.size()) {
        unsigned long code = 0;
        size_t length = 1;
        if (!DecodeUtf8At(text, pos, code, length))
            return pos;
        pos += length;
    }
    return std::string::npos;
}

bool ReadCsv(const std::string& bytes, std::vector<CsvRow>& rows, CsvError& error)
{
    rows.clear();
    const size_t start = bytes.compare(0, 3, kUtf8ByteOrderMark) == 0 ? 3 : 0;
    const size_t invalid = FindInvalidUtf8(bytes);
    if (invalid != std::string::npos) {
        error.line = LineOf(bytes, invalid);
        error.reason = "这一行的文字不是 UTF-8 编码 (请把文件另存为 UTF-8 编码的 CSV)";
        return false;
    }
    Reader reader(bytes, start);
    if (!reader.read(rows, error)) {
        rows.clear();
        return false;
    }
    return true;
}

std::string CsvField(const std::string& text)
{
    if (!text.empty() && text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    return Enclosed(text, '"');
}

std::string SpreadsheetCell(const std::string& text)
{
    if (!text.empty() && std::string("=+-@\t\r'").find(text[0]) != std::string::npos)
        return "'" + text;
    return text;
}

std::string FromSpreadsheetCell(const std::string& cell)
{
    return !cell.empty() && cell[0] == '\'' ? cell.substr(1) : cell;
}

std::string CsvRecord(const std::vector<std::string>& fields)
{
    std::string record;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            record += ',';
        record += CsvField(fields[i]);
    }
    return record + "\r\n";
}
