// TXMLBrowse: a path-based reader of the games service's XML answers, on
// libxml2's pull parser. It stops on every piece of text and on the first
// element that starts after elements ended; the path of a stop is the stack
// of enclosing element names, upper-cased ("/RESPONSE/CODE/").
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "data/Types.h"

// A document that is not well-formed, or an end tag out of place.
class EXMLBrowseError : public Exception {
public:
    using Exception::Exception;
};

// Upper-cased, wrapped in "/" and without "//": "Response/code" -> "/RESPONSE/CODE/".
std::string NormalizeXMLPath(const std::string& path);

// Windows-1252 text as UTF-8 element content: markup characters escaped and
// control characters other than tab and line ends left out, since no XML
// document may hold them.
std::string XmlText(const std::string& win1252);

class TXMLBrowse {
public:
    TXMLBrowse();
    ~TXMLBrowse();
    TXMLBrowse(const TXMLBrowse&) = delete;
    TXMLBrowse& operator=(const TXMLBrowse&) = delete;

    // Takes the document (8-bit text as received) and starts at its beginning.
    void LoadText(const std::string& text);

    // The next stop; false at the end of the document. Raises EXMLBrowseError
    // "Error browsing XML at node %s" (the open elements, one per line).
    bool Advance();
    bool FindFirst(const std::string& path);
    bool FindNext(const std::string& path);
    bool Inside(const std::string& name) const;
    // The text of the current stop in Windows-1252 (code 191 for what it
    // cannot hold), white space normalised; empty on an element stop.
    std::string Content() const { return content_; }
    // Advances while the name is open; stops at the end of the document.
    void Leave(const std::string& name);

    std::string Path() const;
    // The document's outermost element, upper-cased; empty until one was met.
    const std::string& RootName() const { return root_; }

private:
    void Restart();
    void Close();
    [[noreturn]] void RaiseBrowseError(const std::vector<std::string>& names) const;

    std::string text_;
    void* reader_ = nullptr; // xmlTextReaderPtr
    std::vector<std::string> stack_;
    std::string content_;
    std::string root_;
    // The stop is a start tag not yet pushed (pushed by the next advance,
    // even when it is named like its parent).
    bool pendingStart_ = false;
    bool pendingEmpty_ = false;
    std::string pendingName_;
    bool atEnd_ = false;
    // The open elements as the parser had them at its first error.
    std::vector<std::string> errorNames_;
    bool parserFailed_ = false;

    friend struct TXMLBrowseErrorSink;
};
