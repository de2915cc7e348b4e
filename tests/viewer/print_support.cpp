#include "print_support.h"

#include "printing.h"

#include <QPrinter>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <regex>
#include <sstream>

namespace printtest {

namespace {

std::string Run(const std::string& command)
{
    std::string out;
    if (FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

std::string Info(const std::string& pdf)
{
    return Run("pdfinfo " + Quoted(pdf));
}

std::string Unescape(std::string s)
{
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& e : entities) {
        for (size_t at; (at = s.find(e.first)) != std::string::npos;)
            s.replace(at, std::strlen(e.first), e.second);
    }
    return s;
}

// The first page's width (1) or height (2) in points; 0 without a file.
double PageSizePoints(const std::string& pdf, int which)
{
    std::smatch m;
    const std::string info = Info(pdf);
    if (!std::regex_search(info, m, std::regex("Page size:\\s+([0-9.]+) x ([0-9.]+)")))
        return 0;
    return std::stod(m[which]);
}

}  // namespace

int PageCount(const std::string& pdf)
{
    std::smatch m;
    const std::string info = Info(pdf);
    if (!std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")))
        return 0;
    return std::stoi(m[1]);
}

double PageWidthPoints(const std::string& pdf)
{
    return PageSizePoints(pdf, 1);
}

double PageHeightPoints(const std::string& pdf)
{
    return PageSizePoints(pdf, 2);
}

std::vector<std::string> PageLines(const std::string& pdf, int page)
{
    const std::string p = std::to_string(page);
    std::istringstream in(
        Run("pdftotext -enc UTF-8 -f " + p + " -l " + p + " " + Quoted(pdf) + " -"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        line.erase(std::remove(line.begin(), line.end(), '\f'), line.end());
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::vector<Word> PageWords(const std::string& pdf, int page)
{
    const std::string p = std::to_string(page);
    const std::string html =
        Run("pdftotext -bbox -enc UTF-8 -f " + p + " -l " + p + " " + Quoted(pdf) + " -");
    const std::regex word(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    std::vector<Word> words;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator();
         ++it) {
        const std::smatch& m = *it;
        words.push_back({Unescape(m[5]), std::stod(m[1]), std::stod(m[2]), std::stod(m[3]),
                         std::stod(m[4])});
    }
    return words;
}

const Word* Find(const std::vector<Word>& words, const std::string& text)
{
    for (const Word& w : words) {
        if (w.text == text)
            return &w;
    }
    return nullptr;
}

void AnswerPrintDialogs(const std::string& pdf)
{
    AfxSetPrintDialogHook([pdf](QPrinter& printer, BOOL bSetup) {
        if (!bSetup) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
        }
        return TRUE;
    });
    AfxGetPrinter().setOutputFormat(QPrinter::PdfFormat);
    AfxGetPrinter().setOutputFileName(QString::fromStdString(pdf));
}

}  // namespace printtest
