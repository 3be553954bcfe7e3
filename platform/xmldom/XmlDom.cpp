#include "XmlDom.h"

#include "WinSystem.h"

#include "VbError.h"
#include "VbString.h"

#include <pugixml.hpp>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace xmldom {

namespace {

// Compiled queries without variables, kept per thread: the program asks the
// same few hundred paths of every header it reads, and compiling one costs
// more than evaluating it.
const pugi::xpath_query& Compiled_Query(const std::string& xpath) {
    thread_local std::unordered_map<std::string, std::unique_ptr<pugi::xpath_query>> cache;
    if (auto it = cache.find(xpath); it != cache.end()) return *it->second;
    if (cache.size() >= 1024) cache.clear();
    auto query = std::make_unique<pugi::xpath_query>(xpath.c_str()); // throws on a bad path: nothing kept
    return *cache.emplace(xpath, std::move(query)).first->second;
}

// The automation error of a failing library call (E_FAIL as a signed number).
constexpr int32_t kEFail = -2147467259;
// Parse error codes: one per kind of failure, in the range the original used.
constexpr int32_t kParseErrorBase = -1072896768;
constexpr int32_t kNotOneRoot = kParseErrorBase + 0x60;
constexpr int32_t kTopLevelText = kParseErrorBase + 0x61;
constexpr int32_t kDuplicateAttribute = kParseErrorBase + 0x62;
constexpr int32_t kBadMarkup = kParseErrorBase + 0x63;
constexpr int32_t kFileNotFound = -2146697210;

// pugixml keeps the layout only with these: the declaration, comments and
// whitespace-only text, and no line-end normalisation (the header's line
// breaks are "\r\n" text nodes that must come back as they were).
constexpr unsigned kParseFlags = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_declaration |
                                 pugi::parse_comments | pugi::parse_pi | pugi::parse_ws_pcdata;
constexpr unsigned kPrintFlags = pugi::format_raw;

// New nodes wait here until appended. pugixml has no free-standing nodes and
// moves nodes only inside one document, so the holder is a hidden child of
// the document node that serialisation and selection leave out.
constexpr const char* kHolderName = "#xmldom-detached";

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

std::string print(pugi::xml_node n) {
    StringWriter w;
    n.print(w, "", kPrintFlags, pugi::encoding_utf8);
    return w.out;
}

// The value of a pseudo-attribute inside declaration data ("version=\"1.0\" encoding=...").
std::string pseudo_attribute(const std::string& data, const std::string& name) {
    size_t pos = 0;
    while ((pos = data.find(name, pos)) != std::string::npos) {
        size_t p = pos + name.size();
        while (p < data.size() && std::isspace(static_cast<unsigned char>(data[p])))
            ++p;
        if (p < data.size() && data[p] == '=') {
            ++p;
            while (p < data.size() && std::isspace(static_cast<unsigned char>(data[p])))
                ++p;
            if (p < data.size() && (data[p] == '"' || data[p] == '\'')) {
                const size_t end = data.find(data[p], p + 1);
                if (end != std::string::npos) return data.substr(p + 1, end - p - 1);
            }
        }
        pos += name.size();
    }
    return {};
}

// The next node after `n` in document order inside the subtree of `top`
// (null at its end), descending into elements only when `descend`. Walks
// without recursion: a document from outside may nest without limit.
pugi::xml_node next_in_subtree(pugi::xml_node n, pugi::xml_node top, bool descend) {
    if (descend && n.first_child()) return n.first_child();
    while (n != top) {
        if (n.next_sibling()) return n.next_sibling();
        n = n.parent();
    }
    return {};
}

void collect_text(pugi::xml_node top, std::string& out) {
    for (pugi::xml_node c = next_in_subtree(top, top, true); c;
         c = next_in_subtree(c, top, c.type() == pugi::node_element)) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) out += c.value();
    }
}

// XML 1.0 cannot carry control characters other than tab, carriage return
// and line feed, not even as references: they are dropped when a value is
// set, so that every document serialises to a text that parses again.
std::string xml_chars(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value)
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\r' || c == '\n') out += c;
    return out;
}

// XML allows no "--" inside a comment and no "-" at its end; pugixml
// writes them as "- -" and "- ". A comment is given that text when it is
// set, so that it reads back as it was set.
std::string comment_chars(const std::string& value) {
    const std::string in = xml_chars(value);
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        out += in[i];
        if (in[i] == '-' && (i + 1 == in.size() || in[i + 1] == '-')) out += ' ';
    }
    return out;
}

// Whether a text holds only characters Latin-1 has, each a whole UTF-8
// sequence (those characters take the lead bytes 0xC2 and 0xC3).
bool fits_latin1(std::string_view s) {
    for (size_t i = vb::SkipAscii(s, 0); i < s.size(); i = vb::SkipAscii(s, i + 2)) {
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c != 0xC2 && c != 0xC3) || i + 1 == s.size() ||
            (static_cast<unsigned char>(s[i + 1]) & 0xC0) != 0x80)
            return false;
    }
    return true;
}

// The first node whose name (or, for a declaration or processing
// instruction, whose text) holds a character Latin-1 lacks, or bytes that
// are no UTF-8. A document that promises Latin-1 writes such characters as
// "?" (a reference means nothing there), which no name may hold and which
// before a ">" would end an instruction early: such a text does not load.
pugi::xml_node first_beyond_latin1_markup(pugi::xml_node top) {
    for (pugi::xml_node c = next_in_subtree(top, top, true); c; c = next_in_subtree(c, top, true)) {
        const auto type = c.type();
        if (type == pugi::node_pi && (!fits_latin1(c.name()) || !fits_latin1(c.value()))) return c;
        if (type != pugi::node_element && type != pugi::node_declaration) continue;
        if (!fits_latin1(c.name())) return c;
        for (pugi::xml_attribute a = c.first_attribute(); a; a = a.next_attribute())
            if (!fits_latin1(a.name()) || (type == pugi::node_declaration && !fits_latin1(a.value())))
                return c;
    }
    return {};
}

[[noreturn]] void raise_not_set() {
    vb::Raise(vb::errObjectNotSet);
}

// The first place at or after `from` that holds `a`, `b` or `c`; s.size()
// when none does. Sixteen bytes a step where the processor has SSE2: the
// markup checks pass over long texts between the few characters they act on.
size_t find_any_of(const std::string& s, size_t from, char a, char b, char c) {
    size_t i = from;
#ifdef __SSE2__
    const __m128i all_a = _mm_set1_epi8(a), all_b = _mm_set1_epi8(b), all_c = _mm_set1_epi8(c);
    for (; i + 16 <= s.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        const int hits = _mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, all_a), _mm_cmpeq_epi8(v, all_b)), _mm_cmpeq_epi8(v, all_c)));
        if (hits != 0) return i + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(hits)));
    }
#endif
    for (; i < s.size(); ++i)
        if (s[i] == a || s[i] == b || s[i] == c) return i;
    return s.size();
}

// Where a text breaks the rules pugixml does not check: an "&" that starts
// no character or predefined entity reference, or a "<" inside an attribute
// value. npos when there is no such place.
size_t find_bad_markup(const std::string& s) {
    enum class At { Text, Tag, Attr, Skip } at = At::Text;
    char quote = 0;
    std::string_view skip_end;
    auto starts = [&](size_t i, std::string_view what) { return s.compare(i, what.size(), what) == 0; };
    auto good_reference = [&](size_t i) {
        // Only the few characters a reference can span are searched: a
        // text of many bare '&' must not be scanned to its end for each.
        const size_t semi = std::string_view(s).substr(i, 13).find(';');
        if (semi == std::string_view::npos) return false;
        const std::string_view ref(s.data() + i + 1, semi - 1);
        if (ref == "lt" || ref == "gt" || ref == "amp" || ref == "apos" || ref == "quot") return true;
        if (ref.size() < 2 || ref[0] != '#') return false;
        const bool hex = ref[1] == 'x';
        const std::string_view digits = ref.substr(hex ? 2 : 1);
        if (digits.empty()) return false;
        for (char c : digits)
            if (!(hex ? std::isxdigit(static_cast<unsigned char>(c))
                      : std::isdigit(static_cast<unsigned char>(c))))
                return false;
        return true;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        // Straight on to the next character the state acts on: every other
        // character leaves the state as it is.
        switch (at) {
        case At::Text:
            i = find_any_of(s, i, '<', '&', '<');
            break;
        case At::Tag:
            i = find_any_of(s, i, '"', '\'', '>');
            break;
        case At::Attr:
            i = find_any_of(s, i, quote, '<', '&');
            break;
        case At::Skip:
            i = find_any_of(s, i, skip_end.front(), skip_end.front(), skip_end.front());
            break;
        }
        if (i == s.size()) break;
        const char c = s[i];
        switch (at) {
        case At::Text:
            // The end is sought after the whole opener, as the parser seeks
            // it: "<!-->" opens a comment whose text starts with ">".
            if (c == '<' && starts(i, "<!--"))
                at = At::Skip, skip_end = "-->", i += 3;
            else if (c == '<' && starts(i, "<![CDATA["))
                at = At::Skip, skip_end = "]]>", i += 8;
            else if (c == '<' && starts(i, "<?"))
                at = At::Skip, skip_end = "?>", i += 1;
            else if (c == '<')
                at = At::Tag;
            else if (c == '&' && !good_reference(i))
                return i;
            break;
        case At::Tag:
            if (c == '"' || c == '\'')
                at = At::Attr, quote = c;
            else if (c == '>')
                at = At::Text;
            break;
        case At::Attr:
            if (c == quote)
                at = At::Tag;
            else if (c == '<' || (c == '&' && !good_reference(i)))
                return i;
            break;
        case At::Skip:
            if (c == skip_end.front() && starts(i, skip_end)) {
                i += skip_end.size() - 1;
                at = At::Text;
            }
            break;
        }
    }
    return std::string::npos;
}

// The first element in document order that carries one attribute name
// twice; each attribute is looked at once.
pugi::xml_node first_duplicate_attribute(pugi::xml_node top) {
    std::unordered_set<std::string_view> names;
    for (pugi::xml_node c = next_in_subtree(top, top, true); c; c = next_in_subtree(c, top, true)) {
        if (c.type() != pugi::node_element || !c.first_attribute() || !c.first_attribute().next_attribute())
            continue;
        names.clear();
        for (pugi::xml_attribute a = c.first_attribute(); a; a = a.next_attribute())
            if (!names.insert(a.name()).second) return c;
    }
    return {};
}

} // namespace

struct DOMDocument60::Impl {
    pugi::xml_document doc;
    uint64_t generation = 1;

    pugi::xml_node holder() {
        for (pugi::xml_node c = doc.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element && std::string_view(c.name()) == kHolderName) return c;
        pugi::xml_node h = doc.append_child(pugi::node_element);
        h.set_name(kHolderName);
        return h;
    }
    bool is_holder(pugi::xml_node n) const {
        return n && n.type() == pugi::node_element && n.parent() == doc &&
               std::string_view(n.name()) == kHolderName;
    }
    // The top of the tree a node stands in: the document for nodes of the
    // document, the outermost detached node otherwise.
    pugi::xml_node tree_top(pugi::xml_node n) const {
        while (n.parent() && !is_holder(n.parent()))
            n = n.parent();
        return n;
    }
    std::string declared_encoding() const {
        for (pugi::xml_node c = doc.first_child(); c; c = c.next_sibling()) {
            if (c.type() == pugi::node_declaration) return c.attribute("encoding").value();
            if (c.type() == pugi::node_pi && std::string_view(c.name()) == "xml")
                return pseudo_attribute(c.value(), "encoding");
        }
        return {};
    }
    void reset() {
        doc.reset();
        ++generation;
    }
};

// ---- Node ----

pugi::xml_node_struct* Node::checked() const {
    if (!node_ || !doc_) raise_not_set();
    if (doc_->impl_->generation != generation_)
        vb::Raise(vb::errObjectNotSet, "The node belongs to a document that has been loaded anew");
    return node_;
}

NodeType Node::nodeType() const {
    if (!node_) return NodeType::Null;
    switch (pugi::xml_node(checked()).type()) {
    case pugi::node_document:
        return NodeType::Document;
    case pugi::node_element:
        return NodeType::Element;
    case pugi::node_pcdata:
        return NodeType::Text;
    case pugi::node_cdata:
        return NodeType::CData;
    case pugi::node_comment:
        return NodeType::Comment;
    case pugi::node_pi:
    case pugi::node_declaration:
        return NodeType::ProcessingInstruction;
    default:
        return NodeType::Other;
    }
}

std::string Node::nodeName() const {
    pugi::xml_node n(checked());
    switch (n.type()) {
    case pugi::node_document:
        return "#document";
    case pugi::node_pcdata:
        return "#text";
    case pugi::node_cdata:
        return "#cdata-section";
    case pugi::node_comment:
        return "#comment";
    default:
        return n.name();
    }
}

std::string Node::text() const {
    pugi::xml_node n(checked());
    if (n.type() == pugi::node_element || n.type() == pugi::node_document) {
        std::string out;
        collect_text(n, out);
        return out;
    }
    return n.value();
}

void Node::setText(const std::string& value) {
    pugi::xml_node n(checked());
    if (n.type() == pugi::node_element) {
        while (n.first_child())
            n.remove_child(n.first_child());
        if (!value.empty()) n.append_child(pugi::node_pcdata).set_value(xml_chars(value).c_str());
        return;
    }
    if (n.type() == pugi::node_document) vb::Raise(kEFail, "The text of a document cannot be set");
    n.set_value((n.type() == pugi::node_comment ? comment_chars(value) : xml_chars(value)).c_str());
}

std::string Node::getAttribute(const std::string& name) const {
    return pugi::xml_node(checked()).attribute(name.c_str()).value();
}

void Node::setAttribute(const std::string& name, const std::string& value) {
    pugi::xml_node n(checked());
    if (n.type() != pugi::node_element) vb::Raise(kEFail, "Only elements carry attributes");
    pugi::xml_attribute a = n.attribute(name.c_str());
    if (!a) a = n.append_attribute(name.c_str());
    a.set_value(xml_chars(value).c_str());
}

Node Node::appendChild(const Node& child) const {
    pugi::xml_node parent(checked());
    pugi::xml_node c(child.checked());
    if (child.doc_ != doc_) vb::Raise(kEFail, "The node belongs to another document");
    pugi::xml_node moved = parent.append_move(c);
    if (!moved) vb::Raise(kEFail, "This operation cannot be performed with a node of this type here");
    return Node(doc_, moved.internal_object(), generation_);
}

Node Node::removeChild(const Node& child) const {
    pugi::xml_node parent(checked());
    pugi::xml_node c(child.checked());
    if (child.doc_ != doc_ || c.parent() != parent) vb::Raise(kEFail, "The node is not a child of this node");
    // Kept detached, not destroyed, so that the caller's handle stays good.
    pugi::xml_node moved = doc_->impl_->holder().append_move(c);
    if (!moved) vb::Raise(kEFail, "The node cannot be removed");
    return Node(doc_, moved.internal_object(), generation_);
}

Node Node::parentNode() const {
    pugi::xml_node p = pugi::xml_node(checked()).parent();
    if (!p || doc_->impl_->is_holder(p)) return {};
    return Node(doc_, p.internal_object(), generation_);
}

std::vector<Node> Node::childNodes() const {
    std::vector<Node> out;
    const auto& impl = *doc_->impl_;
    for (pugi::xml_node c = pugi::xml_node(checked()).first_child(); c; c = c.next_sibling())
        if (!impl.is_holder(c)) out.push_back(Node(doc_, c.internal_object(), generation_));
    return out;
}

std::vector<Node> Node::selectNodes(const std::string& xpath) const {
    return selectNodes(xpath, {});
}

std::vector<Node> Node::selectNodes(const std::string& xpath, const XPathVariables& variables) const {
    pugi::xml_node context(checked());
    pugi::xpath_node_set found;
    try {
        if (variables.empty()) {
            found = Compiled_Query(xpath).evaluate_node_set(context);
        } else {
            pugi::xpath_variable_set vars;
            for (const auto& [name, value] : variables)
                if (!vars.set(name.c_str(), value.c_str())) vb::Raise(kEFail, "Not a variable name: " + name);
            pugi::xpath_query query(xpath.c_str(), &vars);
            found = query.evaluate_node_set(context);
        }
    } catch (const pugi::xpath_exception& e) {
        vb::Raise(kEFail, std::string(e.what()) + ": " + xpath);
    }
    found.sort();
    const auto& impl = *doc_->impl_;
    const pugi::xml_node top = impl.tree_top(context);
    // The tree each node stands in, remembered for every node walked past:
    // one walk to the top per found node would cost the square of a deep
    // document's depth.
    std::unordered_map<pugi::xml_node_struct*, pugi::xml_node_struct*> top_of;
    std::vector<pugi::xml_node_struct*> walked;
    auto tree_of = [&](pugi::xml_node n) {
        walked.clear();
        pugi::xml_node_struct* t = nullptr;
        for (;;) {
            if (auto it = top_of.find(n.internal_object()); it != top_of.end()) {
                t = it->second;
                break;
            }
            walked.push_back(n.internal_object());
            const pugi::xml_node p = n.parent();
            if (!p || impl.is_holder(p)) {
                t = n.internal_object();
                break;
            }
            n = p;
        }
        for (pugi::xml_node_struct* w : walked)
            top_of.emplace(w, t);
        return t;
    };
    std::vector<Node> out;
    for (const pugi::xpath_node& xn : found) {
        pugi::xml_node n = xn.node();
        if (!n) continue; // an attribute: the program selects elements only
        if (impl.is_holder(n) || tree_of(n) != top.internal_object()) continue;
        out.push_back(Node(doc_, n.internal_object(), generation_));
    }
    return out;
}

Node Node::selectSingleNode(const std::string& xpath) const {
    return selectSingleNode(xpath, {});
}

Node Node::selectSingleNode(const std::string& xpath, const XPathVariables& variables) const {
    auto all = selectNodes(xpath, variables);
    return all.empty() ? Node() : all.front();
}

std::string Node::xml() const {
    pugi::xml_node n(checked());
    if (n.type() == pugi::node_document) return doc_->xml();
    std::string out = print(n);
    if (IsLatin1Encoding(doc_->impl_->declared_encoding())) out = EscapeBeyondLatin1(out);
    return out;
}

// ---- DOMDocument60 ----

DOMDocument60::DOMDocument60() : impl_(std::make_unique<Impl>()) {}
DOMDocument60::~DOMDocument60() = default;

bool DOMDocument60::loadXML(const std::string& text) {
    impl_->reset();
    error_ = {};
    int32_t code = 0;
    std::string reason;
    ptrdiff_t offset = 0;
    auto fail = [&](int32_t c, std::string why, ptrdiff_t at) {
        code = c;
        reason = std::move(why);
        offset = at;
    };
    // pugixml lets a few faults through that make a text not well-formed;
    // they are looked for here so that such a text fails as it should.
    if (const size_t bad = find_bad_markup(text); bad != std::string::npos) {
        fail(kBadMarkup, "A name or a reference is not valid here (a bare '&' or '<').",
             static_cast<ptrdiff_t>(bad));
    } else {
        // As a fragment, so that text outside the root is seen and refused.
        const pugi::xml_parse_result r = impl_->doc.load_buffer(
            text.data(), text.size(), kParseFlags | pugi::parse_fragment, pugi::encoding_utf8);
        if (!r) fail(kParseErrorBase + static_cast<int32_t>(r.status), r.description(), r.offset);
    }
    if (code == 0) {
        int roots = 0;
        for (pugi::xml_node c = impl_->doc.first_child(), next; c && code == 0; c = next) {
            next = c.next_sibling();
            if (c.type() == pugi::node_pcdata) {
                const size_t first = std::string_view(c.value()).find_first_not_of(" \t\r\n");
                if (first != std::string_view::npos)
                    fail(kTopLevelText, "Invalid at the top level of the document.",
                         c.offset_debug() + static_cast<ptrdiff_t>(first));
                else
                    impl_->doc.remove_child(c); // line breaks between top-level nodes are the serialiser's
            } else if (c.type() == pugi::node_element && ++roots == 2) {
                fail(kNotOneRoot, "Only one top level element is allowed in an XML document.",
                     c.offset_debug());
            }
        }
        if (code == 0 && roots == 0)
            fail(kParseErrorBase + pugi::status_no_document_element,
                 "XML document must have a top level element.", static_cast<ptrdiff_t>(text.size()));
        if (code == 0) {
            const pugi::xml_node twice = first_duplicate_attribute(impl_->doc);
            if (twice) fail(kDuplicateAttribute, "Duplicate attribute.", twice.offset_debug());
        }
        if (code == 0 && !fits_latin1(text) && IsLatin1Encoding(impl_->declared_encoding())) {
            const pugi::xml_node odd = first_beyond_latin1_markup(impl_->doc);
            if (odd)
                fail(kBadMarkup, "A name holds a character the declared encoding cannot hold.",
                     odd.offset_debug());
        }
    }
    if (code == 0) return true;
    impl_->reset();
    const size_t off = std::min(static_cast<size_t>(std::max<ptrdiff_t>(offset, 0)), text.size());
    const size_t line_start = text.rfind('\n', off == 0 ? 0 : off - 1);
    const size_t begin = (line_start == std::string::npos || off == 0) ? 0 : line_start + 1;
    size_t end = text.find('\n', off);
    if (end == std::string::npos) end = text.size();
    std::string src = text.substr(begin, end - begin);
    if (!src.empty() && src.back() == '\r') src.pop_back();
    error_.errorCode = code;
    error_.reason = reason;
    error_.line = static_cast<int32_t>(
        std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(begin), '\n') + 1);
    error_.linepos = static_cast<int32_t>(CharCount(text.substr(begin, off - begin)) + 1);
    error_.srcText = src;
    return false;
}

bool DOMDocument60::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        impl_->reset();
        error_ = {};
        error_.errorCode = kFileNotFound;
        error_.reason = "The system cannot locate the object specified.";
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    else if (bytes.compare(0, 5, "<?xml") == 0) {
        const size_t end = bytes.find("?>");
        if (IsLatin1Encoding(pseudo_attribute(bytes.substr(0, end), "encoding")))
            bytes = vb::FromLatin1(bytes);
    }
    return loadXML(bytes);
}

std::string DOMDocument60::xml() const {
    std::string out;
    for (pugi::xml_node c = impl_->doc.first_child(); c; c = c.next_sibling()) {
        if (impl_->is_holder(c)) continue;
        out += print(c);
        out += "\r\n";
    }
    if (IsLatin1Encoding(impl_->declared_encoding())) out = EscapeBeyondLatin1(out);
    return out;
}

void DOMDocument60::save(const std::string& path) const {
    const std::string text = xml();
    const std::string bytes = IsLatin1Encoding(impl_->declared_encoding()) ? vb::ToLatin1(text) : text;
    // Whole or not at all: a failed save leaves the file as it was.
    std::string error;
    if (!win::WriteFileWhole(path, bytes, error))
        vb::Raise(vb::errPathFileAccess, "Unable to save the document to " + path + ": " + error);
}

Node DOMDocument60::createProcessingInstruction(const std::string& target, const std::string& data) {
    // Kept as a processing instruction, also for the target "xml": it
    // serialises to the same declaration text and may wait detached.
    pugi::xml_node n = impl_->holder().append_child(pugi::node_pi);
    n.set_name(target.c_str());
    n.set_value(xml_chars(data).c_str());
    return Node(this, n.internal_object(), impl_->generation);
}

Node DOMDocument60::createComment(const std::string& text) {
    pugi::xml_node n = impl_->holder().append_child(pugi::node_comment);
    n.set_value(comment_chars(text).c_str());
    return Node(this, n.internal_object(), impl_->generation);
}

Node DOMDocument60::createElement(const std::string& name) {
    if (name.empty()) vb::Raise(kEFail, "An element needs a name");
    pugi::xml_node n = impl_->holder().append_child(pugi::node_element);
    n.set_name(name.c_str());
    return Node(this, n.internal_object(), impl_->generation);
}

Node DOMDocument60::createTextNode(const std::string& text) {
    pugi::xml_node n = impl_->holder().append_child(pugi::node_pcdata);
    n.set_value(xml_chars(text).c_str());
    return Node(this, n.internal_object(), impl_->generation);
}

Node DOMDocument60::asNode() const {
    return Node(this, impl_->doc.internal_object(), impl_->generation);
}

Node DOMDocument60::documentElement() const {
    for (pugi::xml_node c = impl_->doc.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && !impl_->is_holder(c))
            return Node(this, c.internal_object(), impl_->generation);
    return {};
}

// ---- Latin-1 ----

bool IsLatin1Encoding(const std::string& encoding) {
    const std::string e = vb::LCase(encoding);
    return e == "iso-8859-1" || e == "latin1" || e == "iso_8859-1" || e == "latin-1";
}

int64_t CharCount(const std::string& utf8) {
    int64_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string EscapeBeyondLatin1(const std::string& s) {
    // A text Latin-1 holds whole comes out as it went in.
    if (fits_latin1(s)) return s;
    enum class At { Text, Tag, Attr, Comment, Pi, CData } at = At::Text;
    char quote = 0;
    std::string out;
    out.reserve(s.size());
    auto starts = [&](size_t i, std::string_view what) { return s.compare(i, what.size(), what) == 0; };
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            // Decode one UTF-8 sequence; a broken one counts as one unknown character.
            const int len = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
            uint32_t cp = 0;
            bool valid = len > 0 && i + len <= s.size();
            if (valid) {
                cp = c & (0xFF >> (len + 1));
                for (int k = 1; k < len; ++k) {
                    const unsigned char cc = static_cast<unsigned char>(s[i + k]);
                    if ((cc & 0xC0) != 0x80) valid = false;
                    cp = (cp << 6) | (cc & 0x3F);
                }
            }
            if (valid && cp <= 0xFF)
                out.append(s, i, len);
            else if (valid && (at == At::Text || at == At::Attr))
                out += "&#" + std::to_string(cp) + ";";
            else
                out += '?';
            i += valid ? len : 1;
            continue;
        }
        switch (at) {
        case At::Text:
            if (c == '<' && starts(i, "<!--"))
                at = At::Comment, out += "<!--", i += 4;
            else if (c == '<' && starts(i, "<![CDATA["))
                at = At::CData, out += "<![CDATA[", i += 9;
            else if (c == '<' && starts(i, "<?"))
                at = At::Pi, out += "<?", i += 2;
            else {
                if (c == '<') at = At::Tag;
                out += s[i++];
            }
            continue;
        case At::Tag:
            if (c == '"' || c == '\'')
                at = At::Attr, quote = static_cast<char>(c);
            else if (c == '>')
                at = At::Text;
            break;
        case At::Attr:
            if (c == static_cast<unsigned char>(quote)) at = At::Tag;
            break;
        case At::Comment:
            if (c == '-' && starts(i, "-->"))
                at = At::Text, out += "-->", i += 3;
            else
                out += s[i++];
            continue;
        case At::Pi:
            if (c == '?' && starts(i, "?>"))
                at = At::Text, out += "?>", i += 2;
            else
                out += s[i++];
            continue;
        case At::CData:
            if (c == ']' && starts(i, "]]>"))
                at = At::Text, out += "]]>", i += 3;
            else
                out += s[i++];
            continue;
        }
        out += s[i++];
    }
    return out;
}

} // namespace xmldom
