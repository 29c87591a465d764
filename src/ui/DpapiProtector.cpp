#include "ui/DpapiProtector.h"

#include <windows.h>
#include <wincrypt.h>

namespace {

// What the system keeps beside the protected bytes; shown by tools that list such data.
const wchar_t kDescription[] = L"Velmora team library connection";

DATA_BLOB BlobOf(const std::string& bytes)
{
    DATA_BLOB blob{};
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    return blob;
}

std::string TakeBlob(DATA_BLOB& blob)
{
    std::string bytes(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
    SecureZeroMemory(blob.pbData, blob.cbData);
    LocalFree(blob.pbData);
    return bytes;
}

std::string Reason(const char* what)
{
    return std::string(what) + "（系统错误 " + std::to_string(GetLastError()) + "）";
}

} // namespace

std::string DpapiProtector::protect(const std::string& bytes)
{
    DATA_BLOB in = BlobOf(bytes);
    DATA_BLOB out{};
    if (!CryptProtectData(&in, kDescription, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        throw ProtectionError(Reason("无法为当前 Windows 用户加密连接字符串"));
    return TakeBlob(out);
}

std::string DpapiProtector::unprotect(const std::string& bytes)
{
    DATA_BLOB in = BlobOf(bytes);
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        throw ProtectionError(Reason("保存的连接字符串无法解密：它是另一个 Windows 用户或另一台电脑上设置的，"
                                     "请重新运行 VelmoraDb team connect"));
    return TakeBlob(out);
}
