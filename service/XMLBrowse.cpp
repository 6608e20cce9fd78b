// The reader is rebuilt from the kept text on every restart: libxml2's pull
// parser only goes forward.
#include "service/XMLBrowse.h"

#include <climits>
#include <mutex>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>

#include "data/TextCodec.h"

namespace {

// No document may make the parser open a file or a connection, whatever
// entity or DTD it names.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

void InstallEntityGuard()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(RefuseExternalEntity);
    });
}

bool IsXMLSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string NormalizeSpace(const char* text)
{
    std::string out;
    bool gap = false;
    for (const char* p = text; p && *p; ++p) {
        if (IsXMLSpace(*p)) {
            gap = !out.empty();
            continue;
        }
        if (gap)
            out += ' ';
        gap = false;
        out += *p;
    }
    return out;
}

std::string JoinNames(const std::vector<std::string>& names)
{
    std::string s;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i)
            s += "\n\r";
        s += names[i];
    }
    return s;
}

// Element names as the stack keeps them: Windows-1252, upper case.
std::string ElementName(const xmlChar* raw)
{
    return UpperCase(Utf8ToWin1252Lossy(raw ? reinterpret_cast<const char*>(raw) : "", static_cast<char>(191)));
}

xmlTextReaderPtr Reader(void* p) { return static_cast<xmlTextReaderPtr>(p); }

} // namespace

struct TXMLBrowseErrorSink {
    static void OnError(void* arg, xmlErrorPtr error)
    {
        auto* self = static_cast<TXMLBrowse*>(arg);
        if (!error || error->level < XML_ERR_ERROR || self->parserFailed_)
            return;
        self->parserFailed_ = true;
        // The elements open where the parser gave up, as it knew them.
        self->errorNames_.clear();
        if (error->domain == XML_FROM_PARSER && error->ctxt) {
            auto* ctxt = static_cast<xmlParserCtxtPtr>(error->ctxt);
            for (int i = 0; ctxt->nameTab && i < ctxt->nameNr; ++i)
                if (ctxt->nameTab[i])
                    self->errorNames_.push_back(ElementName(ctxt->nameTab[i]));
            if (!self->errorNames_.empty() && self->root_.empty())
                self->root_ = self->errorNames_.front();
        } else {
            self->errorNames_ = self->stack_;
        }
    }
};

std::string XmlText(const std::string& win1252)
{
    std::string out;
    for (char c : Win1252ToUtf8(win1252)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\t':
        case '\n':
        case '\r': out += c; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20)
                out += c;
        }
    }
    return out;
}

std::string NormalizeXMLPath(const std::string& path)
{
    std::string p = "/" + UpperCase(path) + "/";
    for (size_t at; (at = p.find("//")) != std::string::npos;)
        p.erase(at, 1);
    return p;
}

TXMLBrowse::TXMLBrowse() { InstallEntityGuard(); }

TXMLBrowse::~TXMLBrowse() { Close(); }

void TXMLBrowse::Close()
{
    if (reader_)
        xmlFreeTextReader(Reader(reader_));
    reader_ = nullptr;
}

void TXMLBrowse::LoadText(const std::string& text)
{
    text_ = text;
    root_.clear();
    Restart();
}

void TXMLBrowse::Restart()
{
    Close();
    stack_.clear();
    content_.clear();
    pendingStart_ = false;
    pendingEmpty_ = false;
    atEnd_ = false;
    parserFailed_ = false;
    errorNames_.clear();
    if (text_.empty() || text_.size() > static_cast<size_t>(INT_MAX)) {
        atEnd_ = true;
        return;
    }
    // No network, no DTD loading, no entity substitution: entity references
    // other than XML's own stay references, which the reader skips.
    const int options = XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;
    reader_ = xmlReaderForMemory(text_.data(), static_cast<int>(text_.size()), nullptr, nullptr, options);
    if (!reader_) {
        atEnd_ = true;
        return;
    }
    xmlTextReaderSetStructuredErrorHandler(Reader(reader_), &TXMLBrowseErrorSink::OnError, this);
}

void TXMLBrowse::RaiseBrowseError(const std::vector<std::string>& names) const
{
    throw EXMLBrowseError(Format("Error browsing XML at node %s", JoinNames(names).c_str()));
}

bool TXMLBrowse::Advance()
{
    content_.clear();
    if (!reader_ || atEnd_)
        return false;
    if (pendingStart_) {
        pendingStart_ = false;
        stack_.push_back(pendingName_);
    }
    bool endPassed = false;
    for (;;) {
        const int r = xmlTextReaderRead(Reader(reader_));
        if (r == 0) {
            atEnd_ = true;
            return false;
        }
        if (r < 0) {
            atEnd_ = true;
            RaiseBrowseError(parserFailed_ ? errorNames_ : stack_);
        }
        switch (xmlTextReaderNodeType(Reader(reader_))) {
        case XML_READER_TYPE_ELEMENT: {
            const std::string name = ElementName(xmlTextReaderConstName(Reader(reader_)));
            if (root_.empty())
                root_ = name;
            // A self-closed element holds nothing the reader looks at.
            if (xmlTextReaderIsEmptyElement(Reader(reader_)) == 1)
                break;
            if (endPassed) {
                pendingStart_ = true;
                pendingName_ = name;
                return true;
            }
            stack_.push_back(name);
            break;
        }
        case XML_READER_TYPE_END_ELEMENT: {
            endPassed = true;
            const std::string name = ElementName(xmlTextReaderConstName(Reader(reader_)));
            if (stack_.empty() || stack_.back() != name)
                RaiseBrowseError(stack_);
            stack_.pop_back();
            break;
        }
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA: {
            const xmlChar* raw = xmlTextReaderConstValue(Reader(reader_));
            const std::string text = NormalizeSpace(raw ? reinterpret_cast<const char*>(raw) : "");
            if (text.empty())
                break;
            content_ = Utf8ToWin1252Lossy(text, static_cast<char>(191));
            return true;
        }
        default: break;
        }
    }
}

std::string TXMLBrowse::Path() const
{
    std::string p = "/";
    for (const std::string& name : stack_)
        p += name + "/";
    return p;
}

bool TXMLBrowse::FindFirst(const std::string& path)
{
    Restart();
    return FindNext(path);
}

bool TXMLBrowse::FindNext(const std::string& path)
{
    const std::string wanted = NormalizeXMLPath(path);
    while (Advance())
        if (Path().compare(0, wanted.size(), wanted) == 0)
            return true;
    return false;
}

bool TXMLBrowse::Inside(const std::string& name) const
{
    const std::string wanted = UpperCase(name);
    for (const std::string& open : stack_)
        if (open == wanted)
            return true;
    return false;
}

void TXMLBrowse::Leave(const std::string& name)
{
    while (Inside(name))
        if (!Advance())
            return;
}
