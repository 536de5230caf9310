#include "page/BodySerialiser.h"

#include "page/Charset.h"

#include <gumbo.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace pellmark {

namespace {

// Gumbo's memory comes from a bump arena so that the tree goes in one step: gumbo's own
// gumbo_destroy_output recurses once per nesting level and overflows the stack on deeply
// nested pages. It also spares the many small frees of a tree allocated node by node.
class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    static void* Allocate(void* arena, std::size_t size) {
        return static_cast<Arena*>(arena)->allocate(size);
    }
    static void Deallocate(void*, void*) {}

private:
    static constexpr std::size_t kAlignment = alignof(std::max_align_t);
    static constexpr std::size_t kChunkSize = 64 * 1024;

    void* allocate(std::size_t size) {
        size = (size + kAlignment - 1) / kAlignment * kAlignment;
        if (size > kChunkSize / 4)
            return newBlock(size);
        if (size > left_) {
            next_ = newBlock(kChunkSize);
            left_ = kChunkSize;
        }
        void* memory = next_;
        next_ += size;
        left_ -= size;
        return memory;
    }

    std::byte* newBlock(std::size_t size) {
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
        return blocks_.back().get();
    }

    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
};

bool IsHtml(const GumboNode& node, GumboTag tag) {
    return node.v.element.tag == tag && node.v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

bool IsElement(const GumboNode& node) {
    return node.type == GUMBO_NODE_ELEMENT || node.type == GUMBO_NODE_TEMPLATE;
}

bool IsVoid(const GumboNode& element) {
    static constexpr GumboTag kVoidTags[] = {
        GUMBO_TAG_AREA,   GUMBO_TAG_BASE,   GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND, GUMBO_TAG_BR,
        GUMBO_TAG_COL,    GUMBO_TAG_EMBED,  GUMBO_TAG_FRAME,    GUMBO_TAG_HR,      GUMBO_TAG_IMG,
        GUMBO_TAG_INPUT,  GUMBO_TAG_KEYGEN, GUMBO_TAG_LINK,     GUMBO_TAG_META,    GUMBO_TAG_PARAM,
        GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK,  GUMBO_TAG_WBR};
    return std::any_of(std::begin(kVoidTags), std::end(kVoidTags),
                       [&](GumboTag tag) { return IsHtml(element, tag); });
}

// The noscript element is left out: gumbo parses its content as markup, as a browser with
// scripting off does, so its text nodes hold decoded text that must be escaped again.
bool HoldsRawText(const GumboNode& element) {
    static constexpr GumboTag kRawTextTags[] = {
        GUMBO_TAG_STYLE,   GUMBO_TAG_SCRIPT,   GUMBO_TAG_XMP,      GUMBO_TAG_IFRAME,
        GUMBO_TAG_NOEMBED, GUMBO_TAG_NOFRAMES, GUMBO_TAG_PLAINTEXT};
    return std::any_of(std::begin(kRawTextTags), std::end(kRawTextTags),
                       [&](GumboTag tag) { return IsHtml(element, tag); });
}

// The parser drops a newline straight after <pre>, <textarea> and <listing>; writing one
// back keeps a newline that was really part of the content when the HTML is read again.
bool KeepsLeadingNewline(const GumboNode& element) {
    if (!IsHtml(element, GUMBO_TAG_PRE) && !IsHtml(element, GUMBO_TAG_TEXTAREA) &&
        !IsHtml(element, GUMBO_TAG_LISTING))
        return false;
    const GumboVector& children = element.v.element.children;
    if (children.length == 0)
        return false;
    const auto* first = static_cast<const GumboNode*>(children.data[0]);
    return (first->type == GUMBO_NODE_TEXT || first->type == GUMBO_NODE_WHITESPACE) &&
           first->v.text.text[0] == '\n';
}

void AppendUpper(std::string& out, std::string_view name) {
    for (const char c : name)
        out += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view NameInSource(const GumboElement& element) {
    GumboStringPiece piece = element.original_tag;
    if (piece.length == 0)
        return {};
    gumbo_tag_from_original_text(&piece);
    return {piece.data, piece.length};
}

// Element names are written as the DOM's tagName gives them, which is what the embedded
// browser put into innerHTML: HTML elements in ASCII upper case; SVG and MathML elements
// keep their own case (lower case, or the camel case SVG defines, such as linearGradient).
void AppendElementName(std::string& out, const GumboElement& element) {
    const std::string_view known = gumbo_normalized_tagname(element.tag);
    const std::string_view name = element.tag == GUMBO_TAG_UNKNOWN ? NameInSource(element) : known;
    if (element.tag_namespace == GUMBO_NAMESPACE_HTML) {
        AppendUpper(out, name);
        return;
    }
    if (element.tag_namespace == GUMBO_NAMESPACE_SVG) {
        const GumboStringPiece piece{name.data(), name.size()};
        if (const char* svgName = gumbo_normalize_svg_tagname(&piece)) {
            out += svgName;
            return;
        }
    }
    for (const char c : name)
        out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

void AppendAttributeName(std::string& out, const GumboAttribute& attribute) {
    const std::string_view name = attribute.name;
    switch (attribute.attr_namespace) {
    case GUMBO_ATTR_NAMESPACE_XLINK:
        out += "xlink:";
        break;
    case GUMBO_ATTR_NAMESPACE_XML:
        out += "xml:";
        break;
    case GUMBO_ATTR_NAMESPACE_XMLNS:
        if (name != "xmlns")
            out += "xmlns:";
        break;
    case GUMBO_ATTR_NAMESPACE_NONE:
        break;
    }
    out += name;
}

// Escapes &, U+00A0 and either < > (text) or " (attribute values), copying the runs
// between them in one piece.
void AppendEscaped(std::string& out, std::string_view text, bool inAttribute) {
    const std::string_view specials = inAttribute ? "&\"\xC2" : "&<>\xC2";
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t special = text.find_first_of(specials, pos);
        if (special == std::string_view::npos) {
            out.append(text.substr(pos));
            return;
        }
        out.append(text.substr(pos, special - pos));
        pos = special + 1;
        switch (text[special]) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (pos < text.size() && text[pos] == '\xA0') {
                out += "&nbsp;";
                ++pos;
            } else {
                out += '\xC2';
            }
        }
    }
}

void AppendStartTag(std::string& out, const GumboElement& element) {
    out += '<';
    AppendElementName(out, element);
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const auto& attribute = *static_cast<const GumboAttribute*>(element.attributes.data[i]);
        out += ' ';
        AppendAttributeName(out, attribute);
        out += "=\"";
        AppendEscaped(out, attribute.value, true);
        out += '"';
    }
    out += '>';
}

void AppendEndTag(std::string& out, const GumboElement& element) {
    out += "</";
    AppendElementName(out, element);
    out += '>';
}

void AppendLeaf(std::string& out, const GumboNode& node, const GumboNode& parent) {
    const std::string_view text = node.v.text.text;
    if (node.type == GUMBO_NODE_COMMENT) {
        out += "<!--";
        out += text;
        out += "-->";
    } else if (IsElement(parent) && HoldsRawText(parent)) {
        out += text;
    } else {
        AppendEscaped(out, text, false);
    }
}

// innerHTML of the element: its children, depth first. The walk keeps its own stack so
// that nesting depth costs heap, not call stack.
std::string SerialiseChildren(const GumboNode& root, std::size_t sizeHint) {
    struct Frame {
        const GumboNode* element;
        unsigned nextChild;
    };
    std::string out;
    out.reserve(sizeHint);
    std::vector<Frame> open{{&root, 0}};
    while (!open.empty()) {
        Frame& top = open.back();
        const GumboNode& parent = *top.element;
        const GumboVector& children = parent.v.element.children;
        if (top.nextChild == children.length) {
            if (open.size() > 1)
                AppendEndTag(out, parent.v.element);
            open.pop_back();
            continue;
        }
        const auto& child = *static_cast<const GumboNode*>(children.data[top.nextChild++]);
        if (!IsElement(child)) {
            AppendLeaf(out, child, parent);
            continue;
        }
        AppendStartTag(out, child.v.element);
        if (IsVoid(child))
            continue;
        if (KeepsLeadingNewline(child))
            out += '\n';
        open.push_back({&child, 0});
    }
    return out;
}

// document.body: the first <body> or <frameset> child of the root element.
const GumboNode* FindBody(const GumboNode& html) {
    const GumboVector& children = html.v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (IsElement(*child) &&
            (IsHtml(*child, GUMBO_TAG_BODY) || IsHtml(*child, GUMBO_TAG_FRAMESET)))
            return child;
    }
    return nullptr;
}

} // namespace

std::string SerialiseBody(std::string_view responseBytes, std::string_view contentType) {
    const std::string html = DecodeHtmlToUtf8(responseBytes, contentType);
    Arena arena;
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &Arena::Allocate;
    options.deallocator = &Arena::Deallocate;
    options.userdata = &arena;
    // The tree is all we read; recording parse errors only costs time.
    options.max_errors = 0;
    const GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
    const GumboNode* body = FindBody(*output->root);
    return body ? SerialiseChildren(*body, html.size()) : std::string();
}

} // namespace pellmark
