#include "Services.h"

#include "Dialogs.h"
#include "WinSystem.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace forms {

std::string AppObject::Title() const {
    return app_title();
}
void AppObject::Title(const std::string& t) {
    set_app_title(t);
}

std::string AppObject::Path() const {
    const std::string p = win::ProgramPath();
    const auto slash = p.find_last_of(win::kPathSep);
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

std::string AppObject::EXEName() const {
    return win::ProgramName();
}

void AppObject::SetVersion(const std::string& version) {
    int32_t parts[3] = {0, 0, 0};
    size_t start = 0;
    for (int i = 0; i < 3 && start <= version.size(); ++i) {
        const size_t dot = version.find('.', start);
        parts[i] = std::atoi(version.substr(start, dot - start).c_str());
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    Major = parts[0];
    Minor = parts[1];
    Revision = parts[2];
}

bool AppObject::PrevInstance() const {
    // One lock file per program and user; the process that holds it is the
    // first instance. The lock goes with the process, however it ends.
    static int held = -1;
    if (held >= 0) return false;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string dir = runtime && *runtime ? runtime : "/tmp";
    const std::string path = dir + win::kPathSep + EXEName() + "-" + std::to_string(::getuid()) + ".instance";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return true;
    }
    held = fd;
    return false;
}

AppObject& App() {
    static AppObject app;
    return app;
}

namespace {

class DesktopClipboard : public ClipboardService {
public:
    void Clear() override {
        if (QClipboard* c = board()) c->clear();
    }
    void SetText(const std::string& t) override {
        if (QClipboard* c = board()) c->setText(QString::fromStdString(t));
    }
    std::string GetText() override {
        QClipboard* c = board();
        return c ? c->text().toStdString() : std::string();
    }
    void SetData(const Picture& p) override {
        if (QClipboard* c = board()) c->setImage(p.image());
    }
    Picture GetData() override {
        QClipboard* c = board();
        if (!c || !c->mimeData() || !c->mimeData()->hasImage()) return {};
        return Picture::FromImage(c->image());
    }

private:
    static QClipboard* board() { return qGuiApp ? QGuiApplication::clipboard() : nullptr; }
};

DesktopClipboard desktop_clipboard;
ClipboardService* clipboard = &desktop_clipboard;

std::function<bool(const std::string&)>& desktop_hook() {
    static std::function<bool(const std::string&)> h;
    return h;
}

std::function<void(int32_t)>& end_hook() {
    static std::function<void(int32_t)> h;
    return h;
}

} // namespace

void set_clipboard_service(ClipboardService* s) {
    clipboard = s ? s : &desktop_clipboard;
}
ClipboardService& Clipboard() {
    return *clipboard;
}

std::string Mail_Encode(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            // CR LF, CR or LF alone: one line break of the mail.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "%0D%0A";
        } else if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool Desktop_Open(const std::string& target) {
    if (desktop_hook()) return desktop_hook()(target);
    const QByteArray bytes = QByteArray::fromStdString(target);
    // A folder or file by its path; anything with a scheme as the link it is.
    if (QFileInfo::exists(QString::fromStdString(target)))
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(target)));
    const QUrl url = QUrl::fromEncoded(bytes, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) return false;
    return QDesktopServices::openUrl(url);
}

void set_desktop_hook(std::function<bool(const std::string&)> hook) {
    desktop_hook() = std::move(hook);
}

void End_Process(int32_t code) {
    if (end_hook()) {
        end_hook()(code);
        return;
    }
    // Every file of the program is closed when its operation ends; only the
    // C streams need flushing before the process goes.
    std::fflush(nullptr);
    std::_Exit(code);
}

void set_end_hook(std::function<void(int32_t)> hook) {
    end_hook() = std::move(hook);
}

namespace {
int32_t beeps = 0;
}

void Beep() {
    ++beeps;
    QApplication::beep();
}

int32_t Beeps_Sounded() {
    return beeps;
}

} // namespace forms
