#pragma once
// The App object, the clipboard, the desktop and the end of the process:
// services the program reaches through one call each, with a stand-in that
// tests install in place of the real one.
#include "Picture.h"

#include <cstdint>
#include <functional>
#include <string>

namespace forms {

// The running program as the original's App object describes it.
class AppObject {
public:
    // The title message boxes show; the same text as app_title().
    std::string Title() const;
    void Title(const std::string& t);
    // Folder of the program file, without a trailing separator.
    std::string Path() const;
    // File name of the program without extension.
    std::string EXEName() const;
    int32_t Major = 0, Minor = 0, Revision = 0;
    // Sets the three numbers from a "major.minor.revision" text.
    void SetVersion(const std::string& version);
    // Whether another process of this program (same file name, same user)
    // runs already. The first process to ask holds the answer "no" for its
    // whole life.
    bool PrevInstance() const;
    // The program's command line after its name (the runtime's Command$);
    // the program's main sets it.
    std::string CommandLine;
};
AppObject& App();

// The clipboard. The default is the desktop's; tests install MemoryClipboard.
class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual void Clear() = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string GetText() = 0;
    virtual void SetData(const Picture& picture) = 0;
    virtual Picture GetData() = 0;
};
// nullptr goes back to the desktop clipboard.
void set_clipboard_service(ClipboardService* service);
ClipboardService& Clipboard();

class MemoryClipboard : public ClipboardService {
public:
    void Clear() override {
        text.clear();
        picture = Picture();
    }
    void SetText(const std::string& t) override { text = t; }
    std::string GetText() override { return text; }
    void SetData(const Picture& p) override { picture = p; }
    Picture GetData() override { return picture; }
    std::string text;
    Picture picture;
};

// Percent-encodes a text for a field of a mail link (subject, body): every
// byte but letters, digits and "-._~" as %XX, each line break as %0D%0A.
std::string Mail_Encode(const std::string& text);

// Opens a link ("mailto:...", "http:...") or a folder with the desktop's
// handler, never through a shell; the text is passed as it is (a link must be
// percent-encoded already). Returns false when nothing could open it.
bool Desktop_Open(const std::string& link_or_folder);
// Tests see what would have been opened; an empty hook restores the desktop.
void set_desktop_hook(std::function<bool(const std::string&)> hook);

// Ends the process at once with the exit code, running no unload events.
// Tests replace it; the replacement returns to the caller.
void End_Process(int32_t code = 0);
void set_end_hook(std::function<void(int32_t)> hook);

// The runtime's Beep: the system's standard sound. Tests count the beeps.
void Beep();
int32_t Beeps_Sounded();

} // namespace forms
