#include "ErrorOf.h"
#include "TestEnv.h"
#include "VbError.h"
#include "VbString.h"
#include "XmlDom.h"

#include <gtest/gtest.h>

namespace {

using xmldom::DOMDocument60;
using xmldom::Node;

using test_env::error_of;

// xmllint's verdict on the bytes, and what it prints for an XPath when given.
int xmllint(const std::string& bytes, const std::string& xpath = {}, std::string* out = nullptr) {
    const std::string path = test_env::make_dir("lint") + "/doc.xml";
    test_env::write_file(path, bytes);
    const std::string args = xpath.empty() ? "--noout" : "--xpath '" + xpath + "'";
    return test_env::run("xmllint " + args + " " + path + " 2>&1", out);
}

const std::string kLayout = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
                            "<!--a comment-->\r\n"
                            "<root>\r\n<a id=\"1\">x &amp; y</a>\r\n<b/><c> </c>\r\n\r\n</root>\r\n";

TEST(XmlDom, ParsedLayoutSerialisesBackUnchanged) {
    DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(kLayout));
    EXPECT_EQ(doc.parseError().errorCode, 0);
    EXPECT_EQ(doc.xml(), kLayout);
    // Line breaks stay "\r\n" text nodes, a lone blank stays the element's text.
    const auto children = doc.documentElement().childNodes();
    ASSERT_EQ(children.size(), 6u);
    EXPECT_EQ(children[0].nodeType(), xmldom::NodeType::Text);
    EXPECT_EQ(children[0].text(), "\r\n");
    EXPECT_EQ(children[3].xml(), "<b/>");
    EXPECT_EQ(children[4].text(), " ");
    EXPECT_EQ(children[5].text(), "\r\n\r\n");
    EXPECT_EQ(doc.selectSingleNode("//a").text(), "x & y");
    EXPECT_EQ(xmllint(kLayout), 0);
}

TEST(XmlDom, FailedParseTellsWhyAndLeavesTheDocumentEmpty) {
    struct Case {
        const char* text;
        int32_t line;
        const char* src;
    };
    for (const Case c : {
             Case{"<root>\r\n<a>\r\n</root>\r\n", 3, "</root>"},
             {"<root>\r\n<a x=1/>\r\n</root>", 2, "<a x=1/>"},
             {"", 1, ""},
             {"<one/>\r\n<two/>", 2, "<two/>"},
             // What pugixml alone would let through.
             {"<r>\r\nfish &amp; chips & peas\r\n</r>", 2, "fish &amp; chips & peas"},
             {"<r>\r\n<a b=\"1\" b=\"2\"/>\r\n</r>", 2, "<a b=\"1\" b=\"2\"/>"},
             {"<r x=\"a<b\"/>", 1, "<r x=\"a<b\"/>"},
             {"<r/>\r\njunk", 2, "junk"},
         }) {
        DOMDocument60 doc;
        ASSERT_TRUE(doc.loadXML("<old/>"));
        EXPECT_FALSE(doc.loadXML(c.text)) << c.text;
        const auto& e = doc.parseError();
        EXPECT_NE(e.errorCode, 0) << c.text;
        EXPECT_FALSE(e.reason.empty()) << c.text;
        EXPECT_EQ(e.line, c.line) << c.text;
        EXPECT_EQ(e.srcText, c.src) << c.text;
        EXPECT_EQ(doc.xml(), "");
        EXPECT_TRUE(doc.documentElement().isNull());
        EXPECT_TRUE(doc.selectSingleNode("//old").isNull());
        // A good load afterwards clears the error.
        EXPECT_TRUE(doc.loadXML("<new/>"));
        EXPECT_EQ(doc.parseError().errorCode, 0);
    }
}

TEST(XmlDom, BareMarkupIsFoundWhereverItLiesInALongText) {
    // A bare "&" in a text, a "<" or a bare "&" in an attribute value, at
    // every place of a run longer than the checks' 16-byte blocks; the same
    // characters inside a comment, a CDATA section or a processing
    // instruction are no fault.
    const std::string run(40, 'x');
    for (size_t at = 0; at <= run.size(); ++at) {
        const std::string before = run.substr(0, at), after = run.substr(at);
        for (const std::string& bad :
             {"<r>" + before + "&" + after + "</r>", "<r a=\"" + before + "<" + after + "\"/>",
              "<r a='" + before + "&" + after + "'/>"}) {
            DOMDocument60 doc;
            EXPECT_FALSE(doc.loadXML(bad)) << bad;
            EXPECT_EQ(doc.parseError().linepos, static_cast<int32_t>(bad.find_first_of("&<", 1)) + 1) << bad;
        }
        for (const std::string& good :
             {"<r>" + before + "&amp;" + after + "</r>", "<r a=\"" + before + ">'&#60;" + after + "\"/>",
              "<r><!--" + before + "&<" + after + "--></r>",
              "<r><![CDATA[" + before + "&<" + after + "]]></r>",
              "<r><?pi " + before + "&<" + after + "?></r>"}) {
            DOMDocument60 doc;
            EXPECT_TRUE(doc.loadXML(good)) << good << ": " << doc.parseError().reason;
        }
    }
}

TEST(XmlDom, SelectionIsInDocumentOrder) {
    DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML("<r><y><x id=\"1\"><v>a</v></x></y><x id=\"2\"><v>b</v></x>"
                            "<z><x id=\"3\"><v>c</v><w><v>d</v></w></x></z></r>"));
    std::vector<std::string> ids;
    for (const Node& n : doc.selectNodes("//x"))
        ids.push_back(n.getAttribute("id"));
    EXPECT_EQ(ids, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(doc.selectSingleNode("//x").getAttribute("id"), "1");
    EXPECT_EQ(doc.selectSingleNode("//x[@id='2']/v").text(), "b");
    EXPECT_EQ(doc.selectSingleNode("//r//x[@id='3']//v").text(), "c");
    EXPECT_EQ(doc.selectSingleNode("//z/x").text(), "cd"); // the text of all descendants
    EXPECT_TRUE(doc.selectSingleNode("//x[@id='4']").isNull());
    const Node z = doc.selectSingleNode("//z");
    EXPECT_EQ(z.selectSingleNode("x/w/v").text(), "d");
    EXPECT_EQ(error_of([&] { doc.selectSingleNode(""); }), -2147467259);
    EXPECT_EQ(error_of([&] { doc.selectSingleNode("//x[@id='1'"); }), -2147467259);
}

TEST(XmlDom, NewNodesStayOutsideTheTreeUntilAppended) {
    DOMDocument60 doc;
    doc.appendChild(doc.createProcessingInstruction("xml", "version=\"1.0\""));
    Node root = doc.createElement("root");
    Node waiting = doc.createElement("item");
    waiting.setAttribute("id", "7");
    waiting.setText("seven");
    EXPECT_TRUE(doc.selectSingleNode("//item").isNull());
    EXPECT_TRUE(doc.selectSingleNode("//root").isNull());
    EXPECT_EQ(doc.xml(), "<?xml version=\"1.0\"?>\r\n");
    doc.appendChild(root);
    root.appendChild(doc.createTextNode("\r\n"));
    EXPECT_TRUE(doc.selectSingleNode("//item").isNull());
    root.appendChild(waiting);
    EXPECT_EQ(doc.selectSingleNode("//item[@id='7']").text(), "seven");
    EXPECT_EQ(doc.documentElement(), root);
    // Appending again moves the node to the end.
    root.appendChild(doc.createElement("last"));
    root.appendChild(waiting);
    EXPECT_EQ(doc.xml(),
              "<?xml version=\"1.0\"?>\r\n<root>\r\n<last/><item id=\"7\">seven</item></root>\r\n");
    // Control characters XML cannot carry are dropped.
    Node odd = root.appendChild(doc.createElement("odd"));
    odd.setText(std::string("a\x01"
                            "b\tc\x1F"));
    odd.setAttribute("note", std::string("x\x02"
                                         "y"));
    EXPECT_EQ(odd.text(), "ab\tc");
    EXPECT_EQ(odd.getAttribute("note"), "xy");
    EXPECT_EQ(xmllint(doc.xml()), 0);
    // An emptied element serialises short; setting a text replaces the children.
    waiting.setText("");
    EXPECT_EQ(waiting.xml(), "<item id=\"7\"/>");
    EXPECT_EQ(waiting.parentNode(), root);
}

TEST(XmlDom, EmptyHandlesAndStaleHandlesRaise) {
    DOMDocument60 doc;
    EXPECT_EQ(error_of([] { (void)Node().text(); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([] { Node().setText("x"); }), vb::errObjectNotSet);
    ASSERT_TRUE(doc.loadXML("<r><a/></r>"));
    const Node a = doc.selectSingleNode("//a");
    ASSERT_TRUE(doc.loadXML("<r/>"));
    EXPECT_EQ(error_of([&] { (void)a.text(); }), vb::errObjectNotSet);
}

TEST(XmlDom, BeyondLatin1IsWrittenAsCharacterReferences) {
    DOMDocument60 doc;
    doc.appendChild(doc.createProcessingInstruction("xml", "version=\"1.0\" encoding=\"iso-8859-1\""));
    doc.appendChild(doc.createComment("race \xE2\x82\xAC"));
    Node root = doc.appendChild(doc.createElement("r"));
    Node a = root.appendChild(doc.createElement("a"));
    const std::string text = "\xC3\x85re \xE2\x80\x93 5 \xE2\x82\xAC"; // "Åre – 5 €"
    a.setText(text);
    a.setAttribute("unit", "\xE2\x82\xAC");
    const std::string xml = doc.xml();
    EXPECT_EQ(xml, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<!--race ?-->\r\n"
                   "<r><a unit=\"&#8364;\">\xC3\x85re &#8211; 5 &#8364;</a></r>\r\n");
    // One byte per character on disk: the character count is the byte count.
    const std::string bytes = vb::ToLatin1(xml);
    EXPECT_EQ(static_cast<int64_t>(bytes.size()), xmldom::CharCount(xml));
    EXPECT_EQ(bytes.find('?', 60), std::string::npos);
    // Parsed back, the text is whole again; xmllint reads the same characters.
    DOMDocument60 back;
    ASSERT_TRUE(back.loadXML(vb::FromLatin1(bytes)));
    EXPECT_EQ(back.selectSingleNode("//a").text(), text);
    EXPECT_EQ(back.selectSingleNode("//a").getAttribute("unit"), "\xE2\x82\xAC");
    std::string seen;
    ASSERT_EQ(xmllint(bytes, "string(//a)", &seen), 0) << seen;
    EXPECT_EQ(seen, text + "\n");
    // A document declared otherwise keeps its characters as they are.
    DOMDocument60 utf8;
    ASSERT_TRUE(utf8.loadXML("<r>\xE2\x82\xAC</r>"));
    EXPECT_EQ(utf8.xml(), "<r>\xE2\x82\xAC</r>\r\n");
}

TEST(XmlDom, CommentsReadBackAsTheyAreWritten) {
    // "<!-->" opens a comment whose text starts with ">": the markup inside
    // it is no bare markup of the document.
    for (const std::string& text : {std::string("<r><!-->1 & 2 <x>--></r>\r\n"),
                                    std::string("<?xml version=\"1.0\"?>\r\n<a b=\"1\">2<!-->1<!- "
                                                "-<c>&amp<;x/c><!- - n--><![CDATA[<raw>]]></a>\r\n")}) {
        DOMDocument60 doc;
        ASSERT_TRUE(doc.loadXML(text)) << text << ": " << doc.parseError().reason;
        EXPECT_EQ(doc.xml(), text);
    }
    // "--" inside a comment and "-" at its end cannot be written as they
    // are: a comment holds them as they will be written, and reads back so.
    DOMDocument60 doc;
    Node c = doc.appendChild(doc.createComment("a--b-"));
    doc.appendChild(doc.createElement("r"));
    EXPECT_EQ(c.text(), "a- -b- ");
    c.setText("x--");
    EXPECT_EQ(c.text(), "x- - ");
    EXPECT_EQ(xmllint(doc.xml()), 0);
    DOMDocument60 back;
    ASSERT_TRUE(back.loadXML(doc.xml()));
    EXPECT_EQ(back.asNode().childNodes().front().text(), "x- - ");
    EXPECT_EQ(back.xml(), doc.xml());
}

// A document that promises Latin-1 writes what Latin-1 lacks in names and
// instructions as "?", which no name may hold: such a text is refused, so
// that whatever loads writes a text that loads again the same.
TEST(XmlDom, Latin1DocumentRefusesNamesItCannotWrite) {
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>";
    for (const std::string& bad :
         {std::string("<r><a\xE2\x82\xAC/></r>"), std::string("<r><las\x8C\xA0t/></r>"),
          std::string("<r a\xC4i=\"1\"/>"), std::string("<r><?t x\xE2\x82\xAC>y?></r>")}) {
        DOMDocument60 doc;
        EXPECT_FALSE(doc.loadXML(latin1 + bad)) << bad;
        EXPECT_NE(doc.parseError().reason.find("cannot hold"), std::string::npos) << doc.parseError().reason;
        EXPECT_TRUE(doc.loadXML(bad)) << "declared otherwise, the name is kept as it is: " << bad;
        EXPECT_EQ(doc.xml(), bad + "\r\n");
    }
    // Latin-1 names load; texts beyond it, and bytes that are no UTF-8,
    // are written as references and "?" and read back so.
    DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(latin1 + "<r\xC3\x85 a=\"\xE2\x82\xAC\">\xE2\x82\xAC \x8C</r\xC3\x85>"));
    const std::string once = doc.xml();
    EXPECT_EQ(once, latin1 + "\r\n<r\xC3\x85 a=\"&#8364;\">&#8364; ?</r\xC3\x85>\r\n");
    DOMDocument60 back;
    ASSERT_TRUE(back.loadXML(once));
    EXPECT_EQ(back.xml(), once);
}

TEST(XmlDom, SaveWritesTheDeclaredEncodingAndLoadReadsIt) {
    const std::string dir = test_env::make_dir("save");
    DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><r a=\"\xC3\xA9\">\xC3\x85\xE2\x82\xAC</r>"));
    doc.save(dir + "/latin.xml");
    const std::string bytes = test_env::read_file(dir + "/latin.xml");
    EXPECT_EQ(bytes, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<r a=\"\xE9\">\xC5&#8364;</r>\r\n");
    EXPECT_EQ(xmllint(bytes), 0);
    DOMDocument60 back;
    ASSERT_TRUE(back.load(dir + "/latin.xml"));
    EXPECT_EQ(back.selectSingleNode("/r").text(), "\xC3\x85\xE2\x82\xAC");
    EXPECT_FALSE(back.load(dir + "/missing.xml"));
    EXPECT_NE(back.parseError().errorCode, 0);
    EXPECT_NE(error_of([&] { doc.save(dir + "/no/such/folder/x.xml"); }), 0);
}

TEST(XmlDom, BoundVariablesSelectByValueWhateverItHolds) {
    DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML("<r><a id=\"O'Brien\">1</a><a id='say \"hi\"'>2</a><a id=\"x\">3</a>"
                            "<a id=\"x' or '1'='1\">4</a></r>"));
    for (const auto& [id, text] : std::vector<std::pair<std::string, std::string>>{
             {"O'Brien", "1"}, {"say \"hi\"", "2"}, {"x", "3"}, {"x' or '1'='1", "4"}}) {
        const auto found = doc.selectNodes("//a[@id=$id]", {{"id", id}});
        ASSERT_EQ(found.size(), 1u) << id;
        EXPECT_EQ(found[0].text(), text);
    }
    EXPECT_TRUE(doc.selectSingleNode("//a[@id=$id]", {{"id", "y"}}).isNull());
    // A variable the query reads but nobody bound is a failing query.
    EXPECT_EQ(error_of([&] { doc.selectNodes("//a[@id=$other]", {{"id", "x"}}); }), -2147467259);
}

TEST(XmlDom, RemovedChildLeavesTheTreeAndStaysUsable) {
    DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML("<r>\r\n<a/><b>t</b></r>"));
    const Node root = doc.documentElement();
    const Node b = doc.selectSingleNode("//b");
    const Node removed = root.removeChild(b);
    EXPECT_EQ(removed, b);
    EXPECT_EQ(doc.xml(), "<r>\r\n<a/></r>\r\n");
    EXPECT_TRUE(doc.selectSingleNode("//b").isNull());
    EXPECT_EQ(removed.text(), "t");
    EXPECT_TRUE(removed.parentNode().isNull());
    // Only a child of the node can be removed from it.
    EXPECT_NE(error_of([&] { root.removeChild(b); }), 0);
    EXPECT_NE(error_of([&] { doc.selectSingleNode("//a").removeChild(root); }), 0);
    root.appendChild(removed);
    EXPECT_EQ(doc.xml(), "<r>\r\n<a/><b>t</b></r>\r\n");
}

// Texts from outside may nest or repeat without limit: the checks after the
// parse walk without recursion and look at each attribute once.
TEST(XmlDom, DeepNestingAndManyAttributesLoadOrFailCleanly) {
    constexpr int kDepth = 80000;
    std::string open, close;
    for (int i = 0; i < kDepth; ++i)
        open += "<a>", close += "</a>";
    const std::string deep = open + "deep" + close;
    DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(deep));
    EXPECT_EQ(doc.documentElement().text(), "deep");
    EXPECT_EQ(doc.selectNodes("//a").size(), static_cast<size_t>(kDepth));
    EXPECT_EQ(doc.xml(), deep + "\r\n");

    // A duplicate attribute at the bottom is found there.
    const std::string twice = open + "<b x=\"1\" x=\"2\"/>" + close;
    EXPECT_FALSE(doc.loadXML(twice));
    EXPECT_EQ(doc.parseError().reason, "Duplicate attribute.");
    EXPECT_EQ(doc.parseError().linepos, 3 * kDepth + 2); // at the name of the element

    std::string many = "<r";
    for (int i = 0; i < 100000; ++i)
        many += " a" + std::to_string(i) + "=\"\"";
    ASSERT_TRUE(doc.loadXML(many + "/>"));
    EXPECT_EQ(doc.documentElement().getAttribute("a99999"), "");
    EXPECT_FALSE(doc.loadXML(many + " a5=\"again\"/>"));
    EXPECT_EQ(doc.parseError().reason, "Duplicate attribute.");
}

} // namespace
