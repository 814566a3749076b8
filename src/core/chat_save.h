// Saving the chat to a file: the lines a view shows, from the session's
// first, as plain text, rich text or a web page, streamed to a byte sink a
// piece at a time (a million lines never make one string).
//
//   ChatWriter w(sink, {SaveFormat::Html, times, codepage}, decode);
//   for (each entry shown) w.Add(session[entry]);
//   bool ok = w.Finish();
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/line_kinds.h"
#include "core/session_lines.h"

namespace vek {

enum class SaveFormat : std::uint8_t {
    Text,  // the shown text as read (ANSI bytes), CR LF line ends, no markup
    Rtf,   // rich text in the display's colours on its background
    Html,  // one self-contained web page, UTF-8, the same colours
};

// The format a file name asks for by its extension, in any case (".txt",
// ".rtf", ".htm" or ".html"); nullopt for any other name.
std::optional<SaveFormat> FormatOfName(std::string_view name);
// The extension a format's files get, without the dot.
const char* ExtensionOf(SaveFormat format);

// "VekChat 2026-12-08": the name a save offers on a day.
std::string DefaultSaveName(int year, int month, int day);

// Where the bytes go. Write returns false when they could not be written;
// the writer then stops writing.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(std::string_view bytes) = 0;
};

// How the store's ANSI bytes (a run of one entry's text) read as UTF-16,
// appended to out: the web page is UTF-8. Only text with bytes above 127 is
// given to it.
using DecodeAnsi = std::function<void(std::string_view bytes, std::u16string& out)>;

struct SaveOptions {
    SaveFormat format = SaveFormat::Text;
    bool times = false;   // each line's time (its lead) in front of it
    int codepage = 1252;  // the system's ANSI code page (named in the rich text)
    std::string font = "Tahoma";  // the display's face (ASCII), for rich text and the web page
};

// Writes one file's worth of lines, in the order given, a piece at a time.
class ChatWriter {
public:
    // decode: needed for the web page only (without it, bytes above 127 show as U+FFFD).
    ChatWriter(ByteSink& sink, SaveOptions options, DecodeAnsi decode = {});
    ChatWriter(const ChatWriter&) = delete;
    ChatWriter& operator=(const ChatWriter&) = delete;

    // The next line (one stored entry).
    void Add(const StoredLine& line);
    // Ends the file and writes what is left. False when any write failed.
    [[nodiscard]] bool Finish();

private:
    void Head();
    void Flush();
    void PutRtf(std::string_view text);
    void PutHtml(std::string_view text);
    void AddRun(std::string_view text, Color color);

    ByteSink& sink_;
    SaveOptions options_;
    DecodeAnsi decode_;
    std::string out_;
    std::u16string wide_;  // a run's decoded text, reused
    bool started_ = false;
    bool failed_ = false;
    int rtfColor_ = -1;  // the colour in force in the rich text (index), -1 none yet
};

// Writes every entry of `lines` whose kind (in `kinds`, caught up with the
// store) is in `filter`, from the first. False when the sink failed.
[[nodiscard]] bool SaveSession(const SessionLines& lines, const LineKinds& kinds, KindFilter filter,
                               ByteSink& sink, const SaveOptions& options, const DecodeAnsi& decode = {});

}  // namespace vek
