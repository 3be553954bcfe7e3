#include "Registry.h"

#include "VbString.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace registry {

namespace {

struct Value {
    std::string name;
    uint32_t type = REG_NONE;
    std::string data; // the stored bytes
};

struct Node {
    std::string name;
    std::map<std::string, std::unique_ptr<Node>> children; // by lower-case name: enumeration in name order
    std::vector<Value> values;                             // in the order first written

    Value* find_value(std::string_view n) {
        for (auto& v : values)
            if (vb::EqualsNoCase(v.name, n)) return &v;
        return nullptr;
    }
    Node* child(std::string_view n) {
        auto it = children.find(vb::LCase(n));
        return it == children.end() ? nullptr : it->second.get();
    }
};

constexpr struct {
    HKEY key;
    const char* name;
} kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};

// ---- the file ----------------------------------------------------------
// One line per key, "[ROOT\path]", followed by its values, one a line:
// "name"=type:"text" for the text types and "name"=type:hexbytes for the
// others. Bytes that would break a line ('"', '%', '[', ']', control bytes,
// NUL) are written as %XX.

const char* kHeader = "TIDEWICK REGISTRY 1";

// Levels of keys below a root, as in the registry the program was written
// against. A file with deeper keys is damaged: those keys are left out.
constexpr size_t kMaxKeyDepth = 512;

std::string encode(std::string_view s, bool key) {
    static const char* hex = "0123456789ABCDEF";
    std::string r;
    for (unsigned char c : s) {
        const bool plain = c >= 0x20 && c != 0x7F && c != '"' && c != '%' && !(key && (c == '[' || c == ']'));
        if (plain) {
            r.push_back(static_cast<char>(c));
        } else {
            r.push_back('%');
            r.push_back(hex[c >> 4]);
            r.push_back(hex[c & 15]);
        }
    }
    return r;
}

int hexval(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool decode(std::string_view s, std::string& out) {
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out.push_back(s[i]);
            continue;
        }
        if (i + 2 >= s.size()) return false;
        const int h = hexval(s[i + 1]), l = hexval(s[i + 2]);
        if (h < 0 || l < 0) return false;
        out.push_back(static_cast<char>(h * 16 + l));
        i += 2;
    }
    return true;
}

bool is_text_type(uint32_t t) {
    return t == REG_SZ || t == REG_EXPAND_SZ || t == REG_MULTI_SZ || t == REG_LINK;
}

// Writes a root's tree, walking it without recursion. A key is written when
// it holds values or has no sub-keys: a key that only leads to others comes
// back from their paths, so no path is written more often than the file
// holds keys of its own (a deep chain of empty keys would otherwise repeat
// its long path once per level).
void write_tree(std::ostream& out, const std::string& root_name, const Node& root) {
    struct Pending {
        const Node* node;
        std::string path;
    };
    std::vector<Pending> stack{{&root, root_name}};
    while (!stack.empty()) {
        Pending p = std::move(stack.back());
        stack.pop_back();
        const Node& n = *p.node;
        if (&n == &root || !n.values.empty() || n.children.empty()) {
            out << '[' << encode(p.path, true) << "]\n";
            for (const auto& v : n.values) {
                out << '"' << encode(v.name, false) << "\"=" << v.type << ':';
                if (is_text_type(v.type)) {
                    out << '"' << encode(v.data, false) << '"';
                } else {
                    static const char* hex = "0123456789abcdef";
                    for (unsigned char c : v.data)
                        out << hex[c >> 4] << hex[c & 15];
                }
                out << '\n';
            }
        }
        // Pushed in reverse, so that sub-keys come out in name order.
        for (auto it = n.children.rbegin(); it != n.children.rend(); ++it)
            stack.push_back({it->second.get(), p.path + "\\" + it->second->name});
    }
}

std::vector<std::string> split_path(std::string_view p) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= p.size()) {
        size_t end = p.find('\\', start);
        if (end == std::string_view::npos) end = p.size();
        if (end > start) parts.emplace_back(p.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// ---- the store -----------------------------------------------------------

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};
    bool operator==(const FileId& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

struct OpenKey {
    std::string root;
    std::vector<std::string> parts;
};

class Store {
public:
    std::recursive_mutex mutex;

    Node* root(const std::string& name) {
        auto& r = roots_[name];
        if (!r) {
            r = std::make_unique<Node>();
            r->name = name;
        }
        return r.get();
    }

    // Brings the tree up to the file's present content when another writer changed it.
    void refresh() {
        const std::string path = RegistryFilePath();
        FileId id;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            id = {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
        }
        if (path == path_ && id == id_) return;
        load(path);
        path_ = path;
        id_ = id;
    }

    bool save() {
        const std::string path = RegistryFilePath();
        std::ostringstream out;
        out << kHeader << '\n';
        for (const auto& r : kRoots) {
            auto it = roots_.find(r.name);
            if (it != roots_.end()) write_tree(out, r.name, *it->second);
        }
        const std::string text = out.str();
        const std::string tmp_pattern = path + ".XXXXXX";
        std::vector<char> tmp(tmp_pattern.begin(), tmp_pattern.end());
        tmp.push_back('\0');
        const int fd = ::mkstemp(tmp.data());
        if (fd < 0) return false;
        bool ok = true;
        size_t done = 0;
        while (ok && done < text.size()) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                ok = false;
            else
                done += static_cast<size_t>(n);
        }
        ::fchmod(fd, 0600);
        if (ok && ::fsync(fd) != 0) ok = false;
        if (::close(fd) != 0) ok = false;
        if (ok && ::rename(tmp.data(), path.c_str()) != 0) ok = false;
        if (!ok) {
            ::unlink(tmp.data());
            return false;
        }
        // Make the rename itself durable.
        const std::string dir = std::filesystem::path(path).parent_path().string();
        const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) id_ = {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
        path_ = path;
        return true;
    }

    // Forgets the cached tree so the next refresh reads the file again.
    void invalidate() {
        id_ = FileId{};
        id_.size = -2;
    }

    std::map<HKEY, OpenKey> handles;
    HKEY next_handle = 1;

private:
    void load(const std::string& path) {
        roots_.clear();
        std::ifstream in(path, std::ios::binary);
        if (!in) return;
        std::string line;
        Node* current = nullptr;
        std::unordered_map<const Node*, std::unordered_map<std::string, size_t>> value_index;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line == kHeader) continue;
            if (line.front() == '[' && line.back() == ']') {
                std::string p;
                current = nullptr;
                if (!decode(std::string_view(line).substr(1, line.size() - 2), p)) continue;
                auto parts = split_path(p);
                if (parts.empty() || parts.size() - 1 > kMaxKeyDepth || RootKey(parts[0]) == 0) continue;
                current = root(RootName(RootKey(parts[0])));
                for (size_t i = 1; i < parts.size(); ++i)
                    current = ensure_child(current, parts[i]);
                continue;
            }
            if (!current || line.front() != '"') continue;
            const auto close = line.find("\"=", 1);
            if (close == std::string::npos) continue;
            Value v;
            if (!decode(std::string_view(line).substr(1, close - 1), v.name)) continue;
            const auto colon = line.find(':', close + 2);
            if (colon == std::string::npos) continue;
            v.type = static_cast<uint32_t>(
                std::strtoul(line.substr(close + 2, colon - close - 2).c_str(), nullptr, 10));
            std::string_view payload = std::string_view(line).substr(colon + 1);
            if (is_text_type(v.type)) {
                if (payload.size() < 2 || payload.front() != '"' || payload.back() != '"') continue;
                if (!decode(payload.substr(1, payload.size() - 2), v.data)) continue;
            } else {
                if (payload.size() % 2) continue;
                bool good = true;
                for (size_t i = 0; i < payload.size(); i += 2) {
                    const int h = hexval(payload[i]), l = hexval(payload[i + 1]);
                    if (h < 0 || l < 0)
                        good = false;
                    else
                        v.data.push_back(static_cast<char>(h * 16 + l));
                }
                if (!good) continue;
            }
            // A value named twice keeps the later line; looked up by name so
            // that a key of many values loads in linear time.
            auto& at = value_index[current];
            if (at.empty() && !current->values.empty())
                for (size_t i = 0; i < current->values.size(); ++i)
                    at.emplace(vb::LCase(current->values[i].name), i);
            if (auto [it, added] = at.emplace(vb::LCase(v.name), current->values.size()); !added)
                current->values[it->second] = std::move(v);
            else
                current->values.push_back(std::move(v));
        }
    }

public:
    static HKEY RootKey(std::string_view name) {
        for (const auto& r : kRoots)
            if (vb::EqualsNoCase(r.name, name)) return r.key;
        return 0;
    }

    static Node* ensure_child(Node* n, const std::string& name) {
        auto& c = n->children[vb::LCase(name)];
        if (!c) {
            c = std::make_unique<Node>();
            c->name = name;
        }
        return c.get();
    }

private:
    std::map<std::string, std::unique_ptr<Node>> roots_;
    std::string path_;
    FileId id_{0, 0, -2, {}};
};

// The store lives as long as the code holding this copy of it: it is freed
// when the program ends or when the library it is linked into is unloaded.
// A call that comes later still (a handle closed by another object's
// destructor) gets a fresh, empty store.
std::atomic<Store*> g_store{nullptr};

struct StoreOwner {
    ~StoreOwner() { delete g_store.exchange(nullptr, std::memory_order_acq_rel); }
} g_store_owner;

Store& store() {
    Store* s = g_store.load(std::memory_order_acquire);
    if (s) return *s;
    auto fresh = std::make_unique<Store>();
    if (g_store.compare_exchange_strong(s, fresh.get(), std::memory_order_acq_rel)) return *fresh.release();
    return *s;
}

// Holds the user's lock on the registry file for one read-modify-write.
class FileLock {
public:
    FileLock() {
        const std::string path = RegistryFilePath();
        std::error_code ec;
        const auto dir = std::filesystem::path(path).parent_path();
        if (!dir.empty()) std::filesystem::create_directories(dir, ec);
        fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FileLock() {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Resolves a handle and a sub-key into a root name and the parts below it.
bool resolve(HKEY key, std::string_view sub_key, OpenKey& out) {
    auto& s = store();
    const std::string rn = RootName(key);
    if (!rn.empty()) {
        out.root = rn;
        out.parts.clear();
    } else {
        auto it = s.handles.find(key);
        if (it == s.handles.end()) return false;
        out = it->second;
    }
    for (auto& p : split_path(sub_key))
        out.parts.push_back(std::move(p));
    return true;
}

Node* find(const OpenKey& k) {
    Node* n = store().root(k.root);
    for (const auto& p : k.parts) {
        n = n->child(p);
        if (!n) return nullptr;
    }
    return n;
}

// The node of an open handle; ERROR_KEY_DELETED when another call removed it.
LONG node_of(HKEY key, Node*& n) {
    OpenKey k;
    if (!resolve(key, {}, k)) return ERROR_INVALID_HANDLE;
    n = find(k);
    return n ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

HKEY new_handle(const OpenKey& k) {
    auto& s = store();
    const HKEY h = s.next_handle++;
    s.handles[h] = k;
    return h;
}

// Runs one change under the file lock on the file's latest content and
// writes it through; nothing is kept when the change or the write fails.
template <class F> LONG change(F&& f) {
    auto& s = store();
    FileLock lock;
    if (!lock.ok()) return ERROR_ACCESS_DENIED;
    s.refresh();
    const LONG r = f();
    if (r != ERROR_SUCCESS) return r;
    if (!s.save()) {
        s.invalidate();
        s.refresh();
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

LONG copy_out(const std::string& bytes, void* data, uint32_t* size) {
    if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const uint32_t need = static_cast<uint32_t>(bytes.size());
    if (!data) {
        *size = need;
        return ERROR_SUCCESS;
    }
    if (*size < need) {
        *size = need;
        return ERROR_MORE_DATA;
    }
    if (need) std::memcpy(data, bytes.data(), need);
    *size = need;
    return ERROR_SUCCESS;
}

} // namespace

std::string RootName(HKEY root) {
    for (const auto& r : kRoots)
        if (r.key == root) return r.name;
    return {};
}

size_t OpenHandleCount() {
    auto& s = store();
    std::lock_guard g(s.mutex);
    return s.handles.size();
}

std::string RegistryFilePath() {
    if (const char* p = std::getenv("TIDEWICK_REGISTRY"); p && *p) return p;
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        base = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        base = std::string(h) + "/.config";
    else
        base = "/tmp";
    return base + "/tidewick/registry.txt";
}

void SetRegistryFilePath(const std::string& path) {
    std::lock_guard g(store().mutex);
    if (path.empty())
        ::unsetenv("TIDEWICK_REGISTRY");
    else
        ::setenv("TIDEWICK_REGISTRY", path.c_str(), 1);
}

LONG RegOpenKeyExA(HKEY key, const std::string& sub_key, uint32_t, uint32_t, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto& s = store();
    std::lock_guard g(s.mutex);
    s.refresh();
    OpenKey k;
    if (!resolve(key, sub_key, k)) return ERROR_INVALID_HANDLE;
    if (!find(k)) return ERROR_FILE_NOT_FOUND;
    *result = new_handle(k);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, const std::string& sub_key, uint32_t, const std::string&, uint32_t, uint32_t,
                     const void*, HKEY* result, uint32_t* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto& s = store();
    std::lock_guard g(s.mutex);
    OpenKey k;
    if (!resolve(key, sub_key, k)) return ERROR_INVALID_HANDLE;
    if (k.parts.size() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
    s.refresh();
    const bool existed = find(k) != nullptr;
    if (!existed) {
        const LONG r = change([&] {
            OpenKey parent = k;
            // The handle's own key must still be there; only what lies below it is created.
            if (RootName(key).empty()) {
                OpenKey own;
                resolve(key, {}, own);
                if (!find(own)) return ERROR_KEY_DELETED;
            }
            Node* n = s.root(parent.root);
            for (const auto& p : parent.parts)
                n = Store::ensure_child(n, p);
            return ERROR_SUCCESS;
        });
        if (r != ERROR_SUCCESS) return r;
    }
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = new_handle(k);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    auto& s = store();
    std::lock_guard g(s.mutex);
    if (!RootName(key).empty()) return ERROR_SUCCESS;
    return s.handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegConnectRegistryA(const std::string& machine, HKEY key, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    if (!machine.empty()) return ERROR_BAD_NETPATH;
    if (RootName(key).empty()) return ERROR_INVALID_HANDLE;
    *result = key;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const std::string& value_name, uint32_t, uint32_t type, const void* data,
                    uint32_t size) {
    if (!data && size) return ERROR_INVALID_PARAMETER;
    auto& s = store();
    std::lock_guard g(s.mutex);
    return change([&] {
        Node* n = nullptr;
        if (const LONG r = node_of(key, n); r != ERROR_SUCCESS) return r;
        std::string bytes(static_cast<const char*>(data), static_cast<const char*>(data) + size);
        if (Value* v = n->find_value(value_name)) {
            v->type = type;
            v->data = std::move(bytes);
        } else {
            n->values.push_back(Value{value_name, type, std::move(bytes)});
        }
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueExA(HKEY key, const std::string& value_name, uint32_t*, uint32_t* type, void* data,
                      uint32_t* size) {
    auto& s = store();
    std::lock_guard g(s.mutex);
    s.refresh();
    Node* n = nullptr;
    if (const LONG r = node_of(key, n); r != ERROR_SUCCESS) return r;
    const Value* v = n->find_value(value_name);
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->type;
    return copy_out(v->data, data, size);
}

LONG RegDeleteValueA(HKEY key, const std::string& value_name) {
    auto& s = store();
    std::lock_guard g(s.mutex);
    return change([&] {
        Node* n = nullptr;
        if (const LONG r = node_of(key, n); r != ERROR_SUCCESS) return r;
        auto it = std::find_if(n->values.begin(), n->values.end(),
                               [&](const Value& v) { return vb::EqualsNoCase(v.name, value_name); });
        if (it == n->values.end()) return ERROR_FILE_NOT_FOUND;
        n->values.erase(it);
        return ERROR_SUCCESS;
    });
}

namespace {
LONG delete_key(HKEY key, const std::string& sub_key, bool tree) {
    auto& s = store();
    std::lock_guard g(s.mutex);
    OpenKey k;
    if (!resolve(key, sub_key, k)) return ERROR_INVALID_HANDLE;
    return change([&] {
        Node* n = find(k);
        if (!n) return ERROR_FILE_NOT_FOUND;
        if (k.parts.empty() || split_path(sub_key).empty()) {
            if (!tree) return ERROR_INVALID_PARAMETER;
            // An empty sub-key empties the key itself and keeps it.
            n->children.clear();
            n->values.clear();
            return ERROR_SUCCESS;
        }
        if (!tree && !n->children.empty()) return ERROR_ACCESS_DENIED;
        OpenKey parent = k;
        parent.parts.pop_back();
        Node* p = find(parent);
        p->children.erase(vb::LCase(k.parts.back()));
        return ERROR_SUCCESS;
    });
}
} // namespace

LONG RegDeleteKeyA(HKEY key, const std::string& sub_key) {
    return delete_key(key, sub_key, false);
}
LONG RegDeleteTreeA(HKEY key, const std::string& sub_key) {
    return delete_key(key, sub_key, true);
}

LONG RegEnumKeyA(HKEY key, uint32_t index, char* name, uint32_t size) {
    auto& s = store();
    std::lock_guard g(s.mutex);
    s.refresh();
    Node* n = nullptr;
    if (const LONG r = node_of(key, n); r != ERROR_SUCCESS) return r;
    if (index >= n->children.size()) return ERROR_NO_MORE_ITEMS;
    auto it = n->children.begin();
    std::advance(it, index);
    const std::string& nm = it->second->name;
    if (!name || size < nm.size() + 1) return ERROR_MORE_DATA;
    std::memcpy(name, nm.c_str(), nm.size() + 1);
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, uint32_t index, char* name, uint32_t* name_size, uint32_t*, uint32_t* type,
                   void* data, uint32_t* data_size) {
    if (!name || !name_size) return ERROR_INVALID_PARAMETER;
    auto& s = store();
    std::lock_guard g(s.mutex);
    s.refresh();
    Node* n = nullptr;
    if (const LONG r = node_of(key, n); r != ERROR_SUCCESS) return r;
    if (index >= n->values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& v = n->values[index];
    if (*name_size < v.name.size() + 1) return ERROR_MORE_DATA;
    std::memcpy(name, v.name.c_str(), v.name.size() + 1);
    *name_size = static_cast<uint32_t>(v.name.size());
    if (type) *type = v.type;
    return copy_out(v.data, data, data_size);
}

LONG RegQueryInfoKeyA(HKEY key, uint32_t* sub_keys, uint32_t* max_sub_key_len, uint32_t* values,
                      uint32_t* max_value_name_len, uint32_t* max_value_len) {
    auto& s = store();
    std::lock_guard g(s.mutex);
    s.refresh();
    Node* n = nullptr;
    if (const LONG r = node_of(key, n); r != ERROR_SUCCESS) return r;
    size_t mk = 0, mn = 0, mv = 0;
    for (const auto& [l, c] : n->children)
        mk = std::max(mk, c->name.size());
    for (const auto& v : n->values) {
        mn = std::max(mn, v.name.size());
        mv = std::max(mv, v.data.size());
    }
    if (sub_keys) *sub_keys = static_cast<uint32_t>(n->children.size());
    if (max_sub_key_len) *max_sub_key_len = static_cast<uint32_t>(mk);
    if (values) *values = static_cast<uint32_t>(n->values.size());
    if (max_value_name_len) *max_value_name_len = static_cast<uint32_t>(mn);
    if (max_value_len) *max_value_len = static_cast<uint32_t>(mv);
    return ERROR_SUCCESS;
}

LONG WriteString(HKEY root, const std::string& path, const std::string& value_name, const std::string& text) {
    HKEY k = 0;
    LONG r = RegCreateKeyExA(root, path, 0, {}, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    if (r != ERROR_SUCCESS) return r;
    r = RegSetValueExA(k, value_name, 0, REG_SZ, text.c_str(), static_cast<uint32_t>(text.size() + 1));
    RegCloseKey(k);
    return r;
}

LONG ReadString(HKEY root, const std::string& path, const std::string& value_name, std::string& text) {
    text.clear();
    HKEY k = 0;
    LONG r = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &k);
    if (r != ERROR_SUCCESS) return r;
    uint32_t type = 0, size = 0;
    r = RegQueryValueExA(k, value_name, nullptr, &type, nullptr, &size);
    if (r == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) r = ERROR_INVALID_DATA;
    if (r == ERROR_SUCCESS) {
        std::string buf(size, '\0');
        r = RegQueryValueExA(k, value_name, nullptr, &type, buf.data(), &size);
        buf.resize(size);
        if (!buf.empty() && buf.back() == '\0') buf.pop_back();
        if (r == ERROR_SUCCESS) text = buf;
    }
    RegCloseKey(k);
    return r;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY k = 0;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::vector<std::string> SubKeyNames(HKEY root, const std::string& path) {
    std::vector<std::string> names;
    HKEY k = 0;
    if (RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS, &k) != ERROR_SUCCESS) return names;
    char buf[256];
    for (uint32_t i = 0; RegEnumKeyA(k, i, buf, sizeof buf) == ERROR_SUCCESS; ++i)
        names.emplace_back(buf);
    RegCloseKey(k);
    return names;
}

} // namespace registry
