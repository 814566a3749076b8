// The chat display: where the follower's lines are shown. Lines go in at the
// end as one RTF insertion per pass, coloured by the core's rendering of
// their markup. The player's caret, selection and view stay where they were,
// unless the caret stood at the end; then it follows the new end.
#pragma once
#include <windows.h>

#include <string_view>

#include "core/chat_display.h"
#include "core/log_follower.h"

namespace vek {

class ChatDisplay final : public LineSink {
public:
    // The display box (a RichEdit), and the code page its text arrives in.
    void Attach(HWND box, int codepage);

    // Writes one line of the log (followed by CR LF) into the display.
    void AppendData(std::string_view line);

    // Writes a line of the program's own (a message waiting for the game,
    // one not delivered) into the display, in OtherColor, as it stands.
    void AddNotice(std::string_view text);

    void TakeLine(std::string_view line, bool continues) override;
    void EndPass(const PassFacts& facts) override;

private:
    // Puts what rtf_ holds at the end of the display in one insertion.
    void Write();

    HWND box_ = nullptr;
    ChatRtf rtf_;
    bool open_ = false;  // rtf_ has begun a pass's document
};

}  // namespace vek
