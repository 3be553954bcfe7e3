#pragma once
// The part of the MSXML 6 DOM the program uses, over pugixml: a document that
// loads text (with a parse error to ask about), creates and appends nodes,
// selects them with XPath in document order and serialises itself raw, with
// no indentation added. Texts are UTF-8 std::strings.
//
// Failures are run-time errors (vb::VbError): a call on an empty node raises
// 91 "Object variable or With block variable not set", an XPath that does not
// compile raises the automation error E_FAIL with the library's reason.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pugi {
struct xml_node_struct;
}

namespace xmldom {

class DOMDocument60;

enum class NodeType { Null, Document, Element, Text, CData, Comment, ProcessingInstruction, Other };

// Text values an XPath reads as $name. They are bound, never pasted into the
// query, so a value holding an apostrophe or a bracket stays a value.
using XPathVariables = std::vector<std::pair<std::string, std::string>>;

// Why the last load failed; errorCode 0 when it did not.
struct ParseError {
    int32_t errorCode = 0;
    std::string reason;
    int32_t line = 0;    // from 1
    int32_t linepos = 0; // from 1
    std::string srcText; // the whole line in error
};

// A handle on one node of a document, cheap to copy; the empty handle is
// what a selection that finds nothing gives (the original's Nothing). A
// handle stays valid while its document lives and has not loaded anew.
class Node {
public:
    Node() = default;
    bool isNull() const { return node_ == nullptr; }
    explicit operator bool() const { return !isNull(); }
    bool operator==(const Node& other) const { return node_ == other.node_; }

    NodeType nodeType() const;
    // Element or processing-instruction name; "#text", "#comment" otherwise.
    std::string nodeName() const;
    // The text of the node and all its descendants, in document order.
    std::string text() const;
    // Replaces all children by one text node (none for the empty text).
    void setText(const std::string& value);
    // The attribute's value; the empty text when it is absent.
    std::string getAttribute(const std::string& name) const;
    void setAttribute(const std::string& name, const std::string& value);
    // Moves `child` (new, or already elsewhere in the same document) to the
    // end of this node's children and returns it.
    Node appendChild(const Node& child) const;
    // Takes `child`, which must be a child of this node, out of the tree and
    // returns it; it stays usable, detached, as a new node is.
    Node removeChild(const Node& child) const;
    Node parentNode() const;
    std::vector<Node> childNodes() const;
    // First match of the XPath in document order; the empty handle when none.
    Node selectSingleNode(const std::string& xpath) const;
    // All matches in document order.
    std::vector<Node> selectNodes(const std::string& xpath) const;
    // The same with bound variables; a variable the query reads but the
    // list lacks fails as a query that does not compile.
    Node selectSingleNode(const std::string& xpath, const XPathVariables& variables) const;
    std::vector<Node> selectNodes(const std::string& xpath, const XPathVariables& variables) const;
    // The node serialised raw.
    std::string xml() const;

private:
    friend class DOMDocument60;
    Node(const DOMDocument60* doc, pugi::xml_node_struct* node, uint64_t generation)
        : doc_(doc), node_(node), generation_(generation) {}
    pugi::xml_node_struct* checked() const;

    const DOMDocument60* doc_ = nullptr;
    pugi::xml_node_struct* node_ = nullptr;
    uint64_t generation_ = 0;
};

class DOMDocument60 {
public:
    DOMDocument60();
    ~DOMDocument60();
    DOMDocument60(const DOMDocument60&) = delete;
    DOMDocument60& operator=(const DOMDocument60&) = delete;

    // Parses the text (taken as text: a declared encoding is not applied
    // again) and replaces the whole document. Declaration, comments,
    // processing instructions and whitespace-only text are kept, line ends
    // are left as they are. On failure the document is empty, parseError()
    // tells why and the result is false.
    bool loadXML(const std::string& text);
    // The same from a file; a file declared iso-8859-1 is read one byte per
    // character, any other as UTF-8.
    bool load(const std::string& path);
    const ParseError& parseError() const { return error_; }

    // The document serialised raw; each top-level node is followed by "\r\n".
    std::string xml() const;
    // Writes xml() to the file in the declared encoding (Latin-1 bytes for
    // iso-8859-1, UTF-8 otherwise). Raises a run-time error when it cannot.
    void save(const std::string& path) const;

    // New nodes belong to the document but stand outside its tree (no
    // selection finds them) until appended.
    Node createProcessingInstruction(const std::string& target, const std::string& data);
    Node createComment(const std::string& text);
    Node createElement(const std::string& name);
    Node createTextNode(const std::string& text);

    // The document as a node: append the declaration, comments and the root
    // to it, select from it.
    Node asNode() const;
    Node appendChild(const Node& child) { return asNode().appendChild(child); }
    Node documentElement() const;
    Node selectSingleNode(const std::string& xpath) const { return asNode().selectSingleNode(xpath); }
    std::vector<Node> selectNodes(const std::string& xpath) const { return asNode().selectNodes(xpath); }
    Node selectSingleNode(const std::string& xpath, const XPathVariables& variables) const {
        return asNode().selectSingleNode(xpath, variables);
    }
    std::vector<Node> selectNodes(const std::string& xpath, const XPathVariables& variables) const {
        return asNode().selectNodes(xpath, variables);
    }

private:
    friend class Node;
    struct Impl;
    std::unique_ptr<Impl> impl_;
    ParseError error_;
};

// Whether the document's declaration promises Latin-1 ("iso-8859-1", in any
// letter case, or "latin1").
bool IsLatin1Encoding(const std::string& encoding);

// Characters beyond Latin-1 in a serialised text, written so that the text
// fits one byte per character: inside text and attribute values as a numeric
// character reference ("&#8364;"), so nothing is lost; inside names,
// comments and processing instructions, where a reference means nothing, as
// "?". Every serialisation of a document declared iso-8859-1 goes through it.
std::string EscapeBeyondLatin1(const std::string& xml_text);

// The number of characters of a UTF-8 text (= its bytes once in Latin-1).
int64_t CharCount(const std::string& utf8);

} // namespace xmldom
