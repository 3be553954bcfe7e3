#include "Cls_XML_header.h"

#include "Dialogs.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinSystem.h"

#include <filesystem>
#include <functional>

using header_field::Kind;
using header_field::Resolve;

namespace {
constexpr const char* kLocationCreateHeader = "Create_Header of Class Module Cls_XML_header";
constexpr const char* kLocationXmlString = "XML_string of Class Module Cls_XML_header";
} // namespace

Cls_XML_header::Cls_XML_header() {
    vb::Trap("Class_Initialize of Class Module Cls_XML_header", [&] {
        m_Tidewick = true;
        DOM_doc = std::make_unique<xmldom::DOMDocument60>();
    });
}

Cls_XML_header::~Cls_XML_header() {
    Send_Trace("Cls_XML_header_Terminate");
}

// ---- Serialisation and parsing ----

std::string Cls_XML_header::XML_string() {
    vb::Trap(kLocationXmlString, [&] { DOM_serialize(); });
    return DOM_text;
}

int32_t Cls_XML_header::Len_XML() {
    return static_cast<int32_t>(xmldom::CharCount(XML_string()));
}

void Cls_XML_header::XML_string(const std::string& text) {
    vb::Trap(kLocationXmlString, [&] {
        Parsed_text = text;
        if (!DOM_doc) vb::Raise(vb::errObjectNotSet);
        DOM_doc->loadXML(text);
        DOM_serialize();
        const xmldom::ParseError& err = DOM_doc->parseError();
        if (err.errorCode == 0) {
            m_Parse_OK = true;
            return;
        }
        m_Parse_OK = false;
        if (!g_Compiled)
            forms::MsgBox("XML parse failed! reason = " + err.reason + " line = " + vb::CStr(err.line) +
                              " srctext = " + err.srcText,
                          forms::vbOKOnly);
    });
}

int16_t Cls_XML_header::XML_len() {
    return vb::CInt(static_cast<double>(xmldom::CharCount(DOM_text)));
}

void Cls_XML_header::DOM_serialize() {
    vb::TrapAlways(
        [&] {
            DOM_text.clear();
            if (!DOM_doc) vb::Raise(vb::errObjectNotSet);
            DOM_text = DOM_doc->xml();
        },
        [](const vb::VbError& err) { vb::ReportError(err, "DOM_serialize of Class Module Cls_XML_header"); });
}

std::string Cls_XML_header::Get_DOM_string() {
    if (!DOM_doc) vb::Raise(vb::errObjectNotSet);
    return DOM_doc->xml();
}

// ---- Building ----

void Cls_XML_header::Create_Header() {
    vb::Trap(kLocationCreateHeader, [&] {
        if (!DOM_doc) vb::Raise(vb::errObjectNotSet);
        // Loading the empty text empties the document, so a second header
        // replaces the first instead of following it.
        DOM_doc->loadXML("");
        Declaration_node =
            DOM_doc->createProcessingInstruction("xml", "version=\"1.0\" encoding=\"iso-8859-1\"");
        DOM_doc->appendChild(Declaration_node);
        xmldom::Node root = DOM_doc->createElement("QFN_header");
        DOM_doc->appendChild(DOM_doc->createComment("XML file containing QFN QF3 header"));
        Add_break(root);

        root.appendChild(Build_File_Data());
        if (m_rgb) {
            root.appendChild(Build_RGB_Data());
            Add_break(root);
        }
        // A variant's section is built in full whenever the variant is on,
        // and attached only when this header asks for it.
        if (g_Golfing) {
            xmldom::Node golf = Build_Golf();
            if (m_Golfing) {
                root.appendChild(golf);
                Add_break(root);
            }
        }
        if (g_Tidewick) {
            xmldom::Node tidewick = Build_Tidewick();
            Add_break(root);
            if (m_Tidewick) {
                root.appendChild(tidewick);
                Add_break(root);
            }
        }
        if (g_Reedwick) {
            xmldom::Node reedwick = Build_Reedwick();
            if (m_Reedwick) {
                root.appendChild(reedwick);
                Add_break(root);
            }
        }
        // The root goes in last: a failure above leaves at most the
        // declaration and the comment, and the old serialised text.
        DOM_doc->appendChild(root);
        DOM_serialize();
    });
}

xmldom::Node Cls_XML_header::Add_element(const xmldom::Node& parent, const std::string& name,
                                         const std::string& text) {
    xmldom::Node e = DOM_doc->createElement(name);
    e.setText(text);
    return parent.appendChild(e);
}

void Cls_XML_header::Add_break(const xmldom::Node& parent) {
    parent.appendChild(DOM_doc->createTextNode("\r\n"));
}

// ---- Tests of the parsed text ----

bool Cls_XML_header::is_Tidewick() const {
    return Parsed_text.find("Tidewick") != std::string::npos ||
           Parsed_text.find("tidewick") != std::string::npos;
}

bool Cls_XML_header::is_Golf() const {
    return Parsed_text.find("<golf>") != std::string::npos;
}

bool Cls_XML_header::is_Equestrian() const {
    return is_Tidewick();
}

// ---- The class's own Boolean coding ----

std::string Cls_XML_header::Bool_to_XML_string(bool value) {
    return value ? "t" : "f";
}

bool Cls_XML_header::XML_string_to_Bool(const std::string& text) {
    return text == "t" || text == "Y";
}

void Cls_XML_header::Dump_XML_to_File(std::string path) {
    if (path.empty())
        path =
            std::filesystem::path(win::ProgramPath()).parent_path().string() + win::kPathSep + "xmldump.xml";
    // Only an older dump is deleted: a first dump is no error to report.
    if (FileExists(path)) Kill_File(path);
    if (!DOM_doc) vb::Raise(vb::errObjectNotSet);
    DOM_doc->save(path);
    forms::MsgBox("XML header dumped to: " + path, forms::vbOKOnly);
}

// ---- The accessor rule ----

xmldom::Node Cls_XML_header::Select(const std::string& path) {
    if (!DOM_doc) vb::Raise(vb::errObjectNotSet);
    xmldom::Node n = DOM_doc->selectSingleNode(path);
    if (!n) vb::Raise(vb::errObjectNotSet);
    return n;
}

std::string Cls_XML_header::Get_text(const std::string& path) {
    return Select(path).text();
}

std::optional<std::string> Cls_XML_header::Find_text(const std::string& path) {
    if (!DOM_doc) return std::nullopt;
    const xmldom::Node n = DOM_doc->selectSingleNode(path);
    if (!n) return std::nullopt;
    return n.text();
}

void Cls_XML_header::Let_text(const std::string& path, const std::string& value) {
    Select(path).setText(value);
}

namespace {

// One read by the field's kind: `get` selects and reads the text, `find`
// does the same with no error for a missing element (the common case of the
// reads that fall back, where an error thrown and caught per field cost more
// than the read), `convert` turns a text (the stored one or the fallback)
// into the value.
template <class T, class Convert, class Get, class Find>
T read_by_kind(const header_field::Field& f, Convert convert, Get get, Find find) {
    if (f.read == Kind::Plain) return convert(get());
    try {
        if (std::optional<std::string> text = find()) return convert(*text);
    } catch (...) {
    }
    if (f.read == Kind::Fallback) return convert(std::string(f.fallback));
    return T{};
}

std::string as_text(const std::string& s) {
    return s;
}
int16_t as_int(const std::string& s) {
    return vb::CInt(s);
}
int32_t as_long(const std::string& s) {
    return vb::CLng(s);
}

} // namespace

std::string Cls_XML_header::Read_text(const Field& f, Ids ids) {
    return read_by_kind<std::string>(
        f, as_text, [&] { return Get_text(Resolve(f.path, ids)); },
        [&] { return Find_text(Resolve(f.path, ids)); });
}
int16_t Cls_XML_header::Read_int(const Field& f, Ids ids) {
    return read_by_kind<int16_t>(
        f, as_int, [&] { return Get_text(Resolve(f.path, ids)); },
        [&] { return Find_text(Resolve(f.path, ids)); });
}
int32_t Cls_XML_header::Read_long(const Field& f, Ids ids) {
    return read_by_kind<int32_t>(
        f, as_long, [&] { return Get_text(Resolve(f.path, ids)); },
        [&] { return Find_text(Resolve(f.path, ids)); });
}
bool Cls_XML_header::Read_bool(const Field& f, Ids ids) {
    return read_by_kind<bool>(
        f, String_to_Bool, [&] { return Get_text(Resolve(f.path, ids)); },
        [&] { return Find_text(Resolve(f.path, ids)); });
}
bool Cls_XML_header::Read_xbool(const Field& f, Ids ids) {
    return read_by_kind<bool>(
        f, XML_string_to_Bool, [&] { return Get_text(Resolve(f.path, ids)); },
        [&] { return Find_text(Resolve(f.path, ids)); });
}

void Cls_XML_header::Write_text(const Field& f, const std::string& value, Ids ids) {
    const std::string path = Resolve(f.path, ids);
    if (f.write == Kind::Plain) {
        Let_text(path, value);
        return;
    }
    try {
        Let_text(path, value);
    } catch (...) {
        // An error-ignoring write leaves a missing element missing.
    }
}

void Cls_XML_header::Write_number(const Field& f, int32_t value, Ids ids) {
    Write_text(f, vb::CStr(value), ids);
}
void Cls_XML_header::Write_bool(const Field& f, bool value, Ids ids) {
    Write_text(f, Bool_to_String(value), ids);
}
void Cls_XML_header::Write_xbool(const Field& f, bool value, Ids ids) {
    Write_text(f, Bool_to_XML_string(value), ids);
}
