#include "ui/StoreErrorText.h"

namespace {

// A plain explanation for the engine's failures a user can act on; null for the others.
const char* EngineExplanation(int code)
{
    switch (code & 0xFF) {
    case EngineCode::CantOpen: return "无法打开数据库文件";
    case EngineCode::Busy:
    case EngineCode::Locked: return "数据库文件正被其他程序占用";
    case EngineCode::NotADatabase: return "文件不是有效的数据库";
    case EngineCode::Corrupt: return "数据库文件已损坏";
    case EngineCode::ReadOnly: return "数据库文件是只读的";
    default: return nullptr;
    }
}

std::string NotValid(const StoreError& error, const char* expected)
{
    return "字段 " + error.subject() + " 的值 \"" + error.value() + "\" 不是有效的" + expected;
}

} // namespace

std::string StoreErrorText(const StoreError& error)
{
    switch (error.fault()) {
    case StoreFault::Engine: {
        // The engine's reason stays, with the explanation in front; a failed opening names the file.
        const char* explanation = EngineExplanation(error.code());
        std::string text = explanation ? std::string(explanation) + " (" + error.what() + ")" : error.what();
        return error.subject().empty() ? text : text + ": " + error.subject();
    }
    case StoreFault::NoDataSource: return "连接字符串中没有数据文件 (Data Source)";
    case StoreFault::UnclosedQuote: return "连接字符串中 " + error.subject() + " 的值引号不完整";
    case StoreFault::ReadOnlyFile: return "数据库文件是只读的,无法保存修改: " + error.subject();
    case StoreFault::MissingField: return "找不到字段 " + error.subject();
    case StoreFault::NoCurrentRow: return "没有当前记录,无法读取字段 " + error.subject();
    case StoreFault::NotEditing: return "记录不在编辑状态";
    case StoreFault::NotAnInteger: return NotValid(error, "整数");
    case StoreFault::NotADateTime: return NotValid(error, "日期时间");
    case StoreFault::Other: break;
    }
    return error.what();
}

std::string FailureText(const std::exception& error)
{
    if (const auto* store = dynamic_cast<const StoreError*>(&error))
        return StoreErrorText(*store);
    return error.what();
}
