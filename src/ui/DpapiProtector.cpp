#include "ui/DpapiProtector.h"

#include <windows.h>
#include <wincrypt.h>

namespace {

// What the system keeps beside the protected bytes; shown by tools that list such data.
const wchar_t kDescription[] = L"Velmora team library connection";

// crypt32 is loaded the first time a connection is protected or read back: only a desk with
// a team library and VelmoraDb's team commands need it, and loading it costs every start.
struct Crypt32 {
    decltype(&::CryptProtectData) protect = nullptr;
    decltype(&::CryptUnprotectData) unprotect = nullptr;
};

template <typename Function>
void Take(HMODULE module, const char* name, Function& entry)
{
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

Crypt32 Load()
{
    Crypt32 api;
    HMODULE module = LoadLibraryExW(L"crypt32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows 7 without its update refuses the flag; a system DLL comes from the system folder.
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryW(L"crypt32.dll");
    if (module) {
        Take(module, "CryptProtectData", api.protect);
        Take(module, "CryptUnprotectData", api.unprotect);
    }
    return api;
}

// Loaded by the first call from any thread. Throws ProtectionError when the system lacks it.
const Crypt32& Api()
{
    static const Crypt32 api = Load();
    if (!api.protect || !api.unprotect)
        throw ProtectionError("无法加载 Windows 的数据保护（crypt32.dll）");
    return api;
}

DATA_BLOB BlobOf(const std::string& bytes)
{
    DATA_BLOB blob{};
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    return blob;
}

DATA_BLOB Entropy()
{
    DATA_BLOB blob{};
    blob.cbData = sizeof kConnectionEntropy - 1;
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(kConnectionEntropy));
    return blob;
}

std::string TakeBlob(DATA_BLOB& blob)
{
    std::string bytes(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
    SecureZeroMemory(blob.pbData, blob.cbData);
    LocalFree(blob.pbData);
    return bytes;
}

std::string Reason(const char* what, DWORD error)
{
    return std::string(what) + "（系统错误 " + std::to_string(error) + "）";
}

// The bytes protected with the program's entropy (`withEntropy`) or without it, as the
// program protected them before it had one; false when the system cannot read them so.
bool Unprotect(const std::string& bytes, bool withEntropy, std::string& out, DWORD& error)
{
    DATA_BLOB in = BlobOf(bytes);
    DATA_BLOB entropy = Entropy();
    DATA_BLOB result{};
    if (!Api().unprotect(&in, nullptr, withEntropy ? &entropy : nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                         &result)) {
        error = GetLastError();
        return false;
    }
    out = TakeBlob(result);
    return true;
}

} // namespace

std::string DpapiProtector::protect(const std::string& bytes)
{
    DATA_BLOB in = BlobOf(bytes);
    DATA_BLOB entropy = Entropy();
    DATA_BLOB out{};
    if (!Api().protect(&in, kDescription, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        throw ProtectionError(Reason("无法为当前 Windows 用户加密连接字符串", GetLastError()));
    return TakeBlob(out);
}

std::string DpapiProtector::unprotect(const std::string& bytes)
{
    std::string text;
    DWORD error = 0, olderError = 0;
    // A connection stored before the entropy came still reads; RenewProtection replaces it.
    if (Unprotect(bytes, true, text, error) || Unprotect(bytes, false, text, olderError))
        return text;
    throw ProtectionError(Reason("保存的连接字符串无法解密：它是另一个 Windows 用户或另一台电脑上设置的，"
                                 "请重新运行 VelmoraDb team connect",
                                 error));
}

bool DpapiProtector::outdated(const std::string& bytes)
{
    std::string text;
    DWORD error = 0;
    const bool current = Unprotect(bytes, true, text, error);
    SecureZeroMemory(&text[0], text.size());
    if (current)
        return false;
    const bool older = Unprotect(bytes, false, text, error);
    SecureZeroMemory(&text[0], text.size());
    return older;
}
