// Saving a session of 1,000,000 lines to a real file under Wine or on
// Windows, in each format, as File > Save Chat As does after its dialog:
// the lines streamed into a temporary file beside the target, flushed, and
// renamed over it.
//
//   tools/wine-run build/windows/win_save.exe [--lines N]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/shown_line.h"
#include "log/chatsaver.h"
#include "support/winapp.h"

using namespace vektest;

int main(int argc, char** argv) {
    std::size_t count = 1000000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--lines") == 0) count = std::strtoul(argv[i + 1], nullptr, 10);

    vek::SessionLines lines;
    const char* says[] = {"[\"CC Orrin] the \"north gate\" at dawn, {Ward} ready, horses ready, siege at the keep",
                          "Tessaly pages you: the keep at dawn, \"north gate\", {Ward} horses ready for the siege",
                          "{Brannoc}\":\" the keep at dawn \"north gate\" {Ward} horses ready siege the keep at",
                          "Ilse says, the keep at dawn \"north gate\" {Ward} horses ready siege the keep at dawn"};
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
        line = "[2026-12-07 11:30:05] ";
        line += says[i % 4];
        lines.Append(vek::ShapeLogLine(line, false));
    }
    vek::LineKinds kinds;
    kinds.CatchUp(lines);

    TempDir dir;
    std::printf("Saving %zu lines (all kinds, times in front), milliseconds and MB:\n", count);
    for (vek::SaveFormat format : {vek::SaveFormat::Text, vek::SaveFormat::Rtf, vek::SaveFormat::Html}) {
        const std::string path = dir.file(std::string("saved.") + vek::ExtensionOf(format));
        const vek::SaveTarget target{std::wstring(path.begin(), path.end()), format};
        for (int round = 0; round < 2; ++round) {  // the second over the first: a replacement
            const double t0 = Seconds();
            const DWORD error = vek::SaveChat(target, lines, kinds, vek::KindFilter::All(), true, nullptr);
            const double ms = (Seconds() - t0) * 1000;
            WIN32_FILE_ATTRIBUTE_DATA fa{};
            ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa);
            std::printf("  %-4s %s: %7.0f ms  %6.1f MB%s\n", vek::ExtensionOf(format), round ? "replacing" : "new      ",
                        ms, static_cast<double>(fa.nFileSizeLow + (static_cast<ULONGLONG>(fa.nFileSizeHigh) << 32)) / 1e6,
                        error ? "  FAILED" : "");
        }
        ::DeleteFileA(path.c_str());
    }
    return 0;
}
