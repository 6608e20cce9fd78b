// Reads an .xlsx workbook back for tests, with libzip and libxml2: sheet
// names in workbook order, cell values, and each cell's alignment, fill and
// font size as its style says, and the column widths.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <zip.h>

namespace xlsx {

struct TStyle {
    std::string horizontal, vertical;
    int64_t fill = -1; // 0xRRGGBB of a solid fill, -1 for none
    double fontSize = 0;
};

struct TCell {
    std::string text; // the value as text (numbers as written)
    bool number = false;
    TStyle style;
};

struct TSheet {
    std::string name;
    std::map<std::pair<int, int>, TCell> cells; // (row, column), 1-based
    std::map<int, double> widths;               // column -> width
    int rows = 0, cols = 0;                     // the largest row and column used

    const TCell* At(int row, int col) const
    {
        auto it = cells.find({row, col});
        return it == cells.end() ? nullptr : &it->second;
    }
    std::string Text(int row, int col) const
    {
        const TCell* c = At(row, col);
        return c ? c->text : std::string();
    }
};

struct TBook {
    std::vector<TSheet> sheets;
};

namespace detail {

inline std::string Entry(zip_t* z, const std::string& name)
{
    zip_stat_t st;
    if (zip_stat(z, name.c_str(), 0, &st) != 0)
        throw std::runtime_error("missing part " + name);
    zip_file_t* f = zip_fopen(z, name.c_str(), 0);
    if (!f)
        throw std::runtime_error("cannot open part " + name);
    std::string data(size_t(st.size), '\0');
    const zip_int64_t got = zip_fread(f, data.data(), st.size);
    zip_fclose(f);
    if (got < 0 || zip_uint64_t(got) != st.size)
        throw std::runtime_error("cannot read part " + name);
    return data;
}

struct TDocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using TDoc = std::unique_ptr<xmlDoc, TDocFree>;

inline TDoc Parse(const std::string& xml)
{
    TDoc doc(xmlReadMemory(xml.data(), int(xml.size()), nullptr, nullptr, XML_PARSE_NONET));
    if (!doc)
        throw std::runtime_error("malformed XML");
    return doc;
}

inline bool Is(const xmlNode* n, const char* name)
{
    return n->type == XML_ELEMENT_NODE && xmlStrcmp(n->name, BAD_CAST name) == 0;
}

inline std::vector<xmlNode*> Children(const xmlNode* n, const char* name)
{
    std::vector<xmlNode*> out;
    for (xmlNode* c = n ? n->children : nullptr; c; c = c->next)
        if (Is(c, name))
            out.push_back(c);
    return out;
}

inline xmlNode* Child(const xmlNode* n, const char* name)
{
    auto all = Children(n, name);
    return all.empty() ? nullptr : all.front();
}

// An attribute by local name, whatever its namespace.
inline std::string Attr(const xmlNode* n, const char* name)
{
    for (xmlAttr* a = n ? n->properties : nullptr; a; a = a->next)
        if (xmlStrcmp(a->name, BAD_CAST name) == 0) {
            xmlChar* v = xmlNodeGetContent(reinterpret_cast<xmlNode*>(a));
            std::string s = v ? reinterpret_cast<const char*>(v) : "";
            xmlFree(v);
            return s;
        }
    return {};
}

inline std::string Content(const xmlNode* n)
{
    xmlChar* v = xmlNodeGetContent(const_cast<xmlNode*>(n));
    std::string s = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return s;
}

// "AB12" -> (12, 28)
inline std::pair<int, int> CellRef(const std::string& ref)
{
    int col = 0;
    size_t i = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i)
        col = col * 26 + (ref[i] - 'A' + 1);
    return {std::atoi(ref.c_str() + i), col};
}

inline std::vector<TStyle> Styles(const std::string& xml)
{
    TDoc doc = Parse(xml);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    std::vector<double> fonts;
    for (xmlNode* f : Children(Child(root, "fonts"), "font"))
        fonts.push_back(std::atof(Attr(Child(f, "sz"), "val").c_str()));
    std::vector<int64_t> fills;
    for (xmlNode* f : Children(Child(root, "fills"), "fill")) {
        xmlNode* p = Child(f, "patternFill");
        int64_t color = -1;
        if (p && Attr(p, "patternType") == "solid") {
            const std::string argb = Attr(Child(p, "fgColor"), "rgb");
            if (argb.size() == 8)
                color = std::strtoll(argb.substr(2).c_str(), nullptr, 16);
        }
        fills.push_back(color);
    }
    std::vector<TStyle> styles;
    for (xmlNode* xf : Children(Child(root, "cellXfs"), "xf")) {
        TStyle s;
        const size_t font = size_t(std::atoi(Attr(xf, "fontId").c_str()));
        const size_t fill = size_t(std::atoi(Attr(xf, "fillId").c_str()));
        s.fontSize = font < fonts.size() ? fonts[font] : 0;
        s.fill = fill < fills.size() ? fills[fill] : -1;
        if (xmlNode* a = Child(xf, "alignment")) {
            s.horizontal = Attr(a, "horizontal");
            s.vertical = Attr(a, "vertical");
        }
        styles.push_back(s);
    }
    return styles;
}

} // namespace detail

// Throws std::runtime_error when the file is not a readable workbook.
inline TBook Read(const std::string& path)
{
    using namespace detail;
    int error = 0;
    std::unique_ptr<zip_t, int (*)(zip_t*)> z(zip_open(path.c_str(), ZIP_RDONLY, &error), zip_close);
    if (!z)
        throw std::runtime_error("not a zip file: " + path);

    std::vector<std::string> shared;
    if (zip_name_locate(z.get(), "xl/sharedStrings.xml", 0) >= 0) {
        TDoc doc = Parse(Entry(z.get(), "xl/sharedStrings.xml"));
        for (xmlNode* si : Children(xmlDocGetRootElement(doc.get()), "si"))
            shared.push_back(Content(si));
    }
    const std::vector<TStyle> styles = Styles(Entry(z.get(), "xl/styles.xml"));

    std::map<std::string, std::string> targets;
    {
        TDoc rels = Parse(Entry(z.get(), "xl/_rels/workbook.xml.rels"));
        for (xmlNode* r : Children(xmlDocGetRootElement(rels.get()), "Relationship"))
            targets[Attr(r, "Id")] = Attr(r, "Target");
    }
    TBook book;
    TDoc wb = Parse(Entry(z.get(), "xl/workbook.xml"));
    for (xmlNode* s : Children(Child(xmlDocGetRootElement(wb.get()), "sheets"), "sheet")) {
        TSheet sheet;
        sheet.name = Attr(s, "name");
        TDoc ws = Parse(Entry(z.get(), "xl/" + targets.at(Attr(s, "id"))));
        xmlNode* root = xmlDocGetRootElement(ws.get());
        for (xmlNode* col : Children(Child(root, "cols"), "col"))
            for (int c = std::atoi(Attr(col, "min").c_str()); c <= std::atoi(Attr(col, "max").c_str()); ++c)
                sheet.widths[c] = std::atof(Attr(col, "width").c_str());
        for (xmlNode* row : Children(Child(root, "sheetData"), "row"))
            for (xmlNode* c : Children(row, "c")) {
                const auto at = CellRef(Attr(c, "r"));
                TCell cell;
                const std::string type = Attr(c, "t");
                const xmlNode* v = Child(c, "v");
                if (type == "s")
                    cell.text = shared.at(size_t(std::atoi(Content(v).c_str())));
                else if (type == "inlineStr")
                    cell.text = Content(Child(c, "is"));
                else if (v) {
                    cell.text = Content(v);
                    cell.number = true;
                }
                const std::string s = Attr(c, "s");
                const size_t xf = s.empty() ? 0 : size_t(std::atoi(s.c_str()));
                if (xf < styles.size())
                    cell.style = styles[xf];
                sheet.rows = std::max(sheet.rows, at.first);
                sheet.cols = std::max(sheet.cols, at.second);
                sheet.cells[at] = cell;
            }
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

} // namespace xlsx
