// Composing and sending: the composer, the message-type button, the page
// box, the history, and what the game typer tells.
#include "app/frmChat.h"

#include "core/message.h"
#include "win/richedit.h"

using namespace vek::win;

std::string frmChat::FormatVek(HWND box) { return box == rtfMessage ? composer_.Markup() : vek::FormatVek(box); }

void frmChat::rtfMessage_SelChange() { composer_.OnSelChange(); }

void frmChat::SendComposedMessage() {
    RedrawFreeze freeze(rtfMessage);
    // Without a game window nothing goes out; the composer is emptied all the
    // same and F9 brings the message back.
    const std::string target = pageTo_.Text();
    sender_.Send(composer_.Markup(), target);
    NoteSentMessage(target);
    composer_.Clear();
}

void frmChat::NoteSentMessage(const std::string& target) {
    const int type = sender_.Type();
    history_.Sent(sender_.LastMessage(), type, target);
    if (type == vek::kPage) names_.PageSent(target);
}

void frmChat::StepHistory(bool back) {
    if (const std::optional<int> type = history_.Step(back, sender_.Type())) ShowMessageType(sender_.SetType(*type));
}

void frmChat::ReplyToPage(bool lastPaged) {
    const vek::ReplyTargets& replies = names_.Replies();
    AnswerPage(lastPaged ? replies.LastPaged() : replies.LastSender());
}

namespace {

// A message's outgoing text as a notice shows it: without its closing CR.
std::string Shown(const std::string& outgoing) {
    return outgoing.empty() || outgoing.back() != '\r' ? outgoing : outgoing.substr(0, outgoing.size() - 1);
}

}  // namespace

void frmChat::MessageWaits(const std::string& text) {
    lines_.AddNotice("VekChat: the game does not answer; this message waits for it: " + Shown(text));
}

void frmChat::MessageGoesOn() { lines_.AddNotice("VekChat: the game answers again; the waiting message goes on."); }

void frmChat::MessageNotDelivered(const std::string& text, vek::GameTyper::Undelivered why, bool last) {
    const char* reason = why == vek::GameTyper::Undelivered::NoGame   ? "the game is not running"
                         : why == vek::GameTyper::Undelivered::Refused ? "the game refused it; run the game and "
                                                                         "VekChat the same way (not one as "
                                                                         "administrator)"
                                                                       : "the game's window closed";
    std::string notice = "VekChat: not delivered (";
    notice += reason;
    notice += "): " + Shown(text);
    notice += last ? "  F9 brings it back." : "  Ctrl+Up brings it back.";
    lines_.AddNotice(notice);
}

void frmChat::cmdMessageType_Click() { ShowMessageType(sender_.CycleType()); }

void frmChat::cmdMessageType_GotFocus() {
    // Only the first arrival is passed on; later ones (Tab) stay on the button.
    if (!FocusRedirected) ::SetFocus(sender_.Type() == vek::kPage ? txtPageTo : rtfMessage);
    FocusRedirected = true;
}

void frmChat::cmdMessageType_MouseUp() { ::SetFocus(sender_.Type() == vek::kPage ? txtPageTo : rtfMessage); }

void frmChat::txtPageTo_Change() { pageTo_.OnChange(); }

void frmChat::txtPageTo_Typed() { pageTo_.Offer(names_.Recent()); }

