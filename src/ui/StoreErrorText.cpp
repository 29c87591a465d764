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
    case EngineCode::Interrupt: return "读取用时超过了时限，已停止";
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

std::string TeamErrorText(const TeamError& error)
{
    const std::string driver = error.what();
    const std::string said = driver.empty() ? std::string() : "（" + driver + "）";
    switch (error.fault()) {
    case TeamFault::DriverMissing:
        return "这台电脑上没有连接文字中指定的 ODBC 驱动程序，请安装数据库服务器的 ODBC 驱动程序（32 位），"
               "或核对 Driver= 后面的名称" +
               said;
    case TeamFault::LoginRefused:
        return "数据库服务器拒绝登录：用户名或密码不对，或者这个账户不能使用这个数据库" + said;
    case TeamFault::Unreachable:
        return "连不上数据库服务器：服务器没有运行、地址或端口不对、网络不通，或者它没有及时回答" + said;
    case TeamFault::TableMissing:
        return "数据库服务器上还没有团队模板的表，请团队负责人先运行 VelmoraDb team init" + said;
    case TeamFault::UnsupportedServer:
        return "不支持这种数据库服务器（" + error.subject() + "）：团队模板库只支持 Microsoft SQL Server 和 PostgreSQL";
    case TeamFault::Unexpected: break;
    }
    return "数据库服务器的回答不是预期的样子" + said;
}

std::string FailureText(const std::exception& error)
{
    if (const auto* store = dynamic_cast<const StoreError*>(&error))
        return StoreErrorText(*store);
    if (const auto* team = dynamic_cast<const TeamError*>(&error))
        return TeamErrorText(*team);
    return error.what();
}
