#include "app/TeamJoin.h"

#include "common/DateTime.h"
#include "common/Text.h"
#include "store/TeamConnectionText.h"

namespace {

bool IsPort(const std::string& text)
{
    if (text.empty() || text.size() > 5)
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    const long port = std::stol(text);
    return port >= 1 && port <= 65535;
}

std::string Pair(const char* key, const std::string& value) { return std::string(key) + "=" + OdbcQuoted(value) + ";"; }

} // namespace

std::string JoinConnectionText(const JoinFields& fields, std::string& error)
{
    const std::string server = TrimText(fields.server), port = TrimText(fields.port);
    const std::string database = TrimText(fields.database), user = TrimText(fields.user);
    const bool sqlServer = fields.kind == ServerKind::SqlServer;
    if (server.empty())
        error = "请填写服务器的名字或地址";
    else if (!port.empty() && !IsPort(port))
        error = "端口应是 1 到 65535 之间的数字";
    else if (database.empty())
        error = "请填写数据库的名字";
    else if (user.empty() && !sqlServer)
        error = "请填写用户名";
    if (!error.empty())
        return {};
    std::string text = std::string("Driver={") + (sqlServer ? kSqlServerDriver : kPostgreSqlDriver) + "};";
    // SQL Server takes its port after the server's name; PostgreSQL's driver as a key of its own.
    if (sqlServer)
        text += Pair("Server", port.empty() ? server : server + "," + port);
    else
        text += Pair("Server", server) + (port.empty() ? "" : Pair("Port", port));
    text += Pair("Database", database);
    if (user.empty())
        text += "Trusted_Connection=yes;";
    else
        text += Pair("Uid", user);
    return fields.password.empty() ? text : WithPassword(text, fields.password);
}

JoinFields JoinFieldsOf(const std::string& connectionText)
{
    JoinFields fields;
    const std::string driver = OdbcValue(connectionText, "Driver").value_or("");
    fields.kind = driver.find("SQL Server") != std::string::npos ? ServerKind::SqlServer : ServerKind::PostgreSql;
    fields.server = TeamServerName(connectionText);
    fields.port = TrimText(OdbcValue(connectionText, "Port").value_or(""));
    const size_t comma = fields.server.rfind(',');
    if (fields.kind == ServerKind::SqlServer && comma != std::string::npos) {
        fields.port = TrimText(fields.server.substr(comma + 1));
        fields.server = TrimText(fields.server.substr(0, comma));
    }
    for (const char* key : {"Database", "Initial Catalog", "Dbname"})
        if (fields.database.empty())
            fields.database = TrimText(OdbcValue(connectionText, key).value_or(""));
    for (const char* key : {"Uid", "User Id", "User", "Username"})
        if (fields.user.empty())
            fields.user = TrimText(OdbcValue(connectionText, key).value_or(""));
    return fields;
}

JoinControls JoinControlsFor(const TeamChoice& choice)
{
    JoinControls controls;
    if (choice.connectionByPolicy) {
        // IT's connection is shown, not changed; only a password it left out is the desk's.
        controls.fieldsEditable = false;
        controls.passwordEditable = NeedsPassword(choice.policyConnection);
        controls.canJoin = controls.passwordEditable;
        controls.canLeave = false;
    } else {
        controls.canLeave = choice.active;
    }
    return controls;
}

std::string JoinStateText(const TeamChoice& choice, const std::optional<TeamSettings>& settings)
{
    if (!choice.active)
        return "这台电脑没有使用团队模板库。";
    std::string text = "连接设置：" + std::string(choice.connectionByPolicy ? kSetByAdministrator : "本机设置") +
                       "，服务器 " + (choice.server.empty() ? "（没有写明）" : choice.server) + "\n";
    const bool checked = settings && (settings->lastSync > 0 || !settings->lastError.empty());
    const bool offline = settings && !settings->lastError.empty();
    text += std::string("状态：") +
            (!checked  ? "还没有检查"
             : offline ? "离线"
                       : "在线") +
            "，上次同步 " + (settings && settings->lastSync > 0 ? FormatDateTime(settings->lastSync) : "从未") + "\n";
    text += "团队模板：" + std::to_string(settings ? settings->rows : 0) + " 条；模板组：";
    std::string sets;
    for (const std::string& set : choice.sets)
        sets += (sets.empty() ? "" : "、") + set;
    text += ShownWithSource(sets.empty() ? kDefaultTeamSetName : sets, choice.setsByPolicy) + "\n";
    if (choice.needsPassword)
        text += "管理员设置的连接没有密码，请输入密码后点“连接”。\n";
    if (offline)
        text += settings->lastError + "。";
    else if (settings && !settings->note.empty())
        text += settings->note + "。";
    return text;
}
