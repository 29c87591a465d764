// Delivery speed: a 2,000-byte template (Chinese and Latin) typed by Velmora into the target
// program, against a bare loop of the same SendMessageA calls from a helper process, in the
// same run. Both are timed from the trigger until the target has recorded every byte.
//   DeliveryBench.exe            runs the benchmark (under scripts/with-wine.sh)
//   DeliveryBench.exe --bare HWND EVENT   the helper process's loop
#include "Timing.h"
#include "Velmora.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kEventName = "VelmoraDeliveryBenchGo";
size_t kBytes = 2000;

std::string TemplateOf2000Bytes()
{
    std::string utf8;
    const std::string chunk = "您好,订单已发货 Order 12345 shipped. ";
    while (wt::ToCodePage(utf8 + chunk, 936).size() <= kBytes)
        utf8 += chunk;
    while (wt::ToCodePage(utf8, 936).size() < kBytes)
        utf8 += "x";
    return utf8;
}

int BareLoop(HWND target)
{
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, kEventName);
    WaitForSingleObject(go, 30000);
    for (char c : wt::ToCodePage(TemplateOf2000Bytes(), 936))
        SendMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 0);
    return 0;
}

double TimeUntilRecorded(const wt::TargetProcess& target, size_t count, double start)
{
    target.waitForChars(count, 120000);
    return vt::Now() - start;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* bytes = std::getenv("VELMORA_BENCH_BYTES"))
        kBytes = std::strtoul(bytes, nullptr, 10);
    if (argc == 3 && std::string(argv[1]) == "--bare")
        return BareLoop(reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 16)));

    const std::string text = TemplateOf2000Bytes();
    const size_t bytes = wt::ToCodePage(text, 936).size();

    // The bare loop from a helper process.
    double bare = 0;
    {
        wt::TargetProcess target;
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, kEventName);
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        char handle[32];
        std::snprintf(handle, sizeof handle, "%lx",
                      static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(target.edit())));
        wt::AppProcess helper(self, "C:\\", {"--bare", handle});
        wt::Pause(1000);
        const double start = vt::Now();
        SetEvent(go);
        bare = TimeUntilRecorded(target, bytes, start);
        helper.waitForExit(10000);
        CloseHandle(go);
    }

    // Velmora: hotkey over the target, then a double-click on the template.
    double velmora = 0;
    {
        vt::Installation app({text});
        vt::Velmora program(app.folder);
        HWND main = program.waitForMainWindow();
        program.click(218 + 8, 7 + 8); // minimise, so that the hotkey's show proves the press arrived
        wt::WaitForWindowGone(main, 3000);
        wt::TargetProcess target;
        SetWindowPos(target.window(), nullptr, 20, 60, 320, 220, SWP_NOZORDER);
        wt::Pause(300);
        target.focusEdit();
        wt::MovePointer(target.editCentre());
        wt::Pause(100);
        wt::PressCtrlLetter('A');
        if (!wt::WaitUntil([&] { return wt::IsShown(main); }, 5000)) {
            std::printf("the hotkey did not show Velmora\n");
            return 1;
        }
        const RECT row = program.rowRect(0);
        const double start = vt::Now();
        wt::DoubleClick({row.left + 120, (row.top + row.bottom) / 2});
        velmora = TimeUntilRecorded(target, bytes, start);
        if (target.recordedChars().size() != bytes) {
            std::printf("after %.1f s: shown %d, selected %d, entries %u\n", velmora, wt::IsShown(main) ? 1 : 0,
                        program.selectedIndex(), static_cast<unsigned>(program.listEntries().size()));
            std::printf("Velmora delivered %u of %u bytes\n", static_cast<unsigned>(target.recordedChars().size()),
                        static_cast<unsigned>(bytes));
            return 1;
        }
    }

    std::printf("delivery of a %u-byte template into another process\n", static_cast<unsigned>(bytes));
    std::printf("  bare SendMessageA loop: %8.0f bytes/s (%.2f s)\n", bytes / bare, bare);
    std::printf("  Velmora:                %8.0f bytes/s (%.2f s)\n", bytes / velmora, velmora);
    std::printf("  ratio Velmora / bare:   %8.2f (aim: at least 0.90)\n", bare / velmora);
    return 0;
}
