// Reading printed PDF files back with poppler's pdfinfo and pdftotext, and
// answering the print dialog with a PDF file.
#ifndef RUVOK_TESTS_PRINT_SUPPORT_H
#define RUVOK_TESTS_PRINT_SUPPORT_H

#include <string>
#include <vector>

namespace printtest {

int PageCount(const std::string& pdf);  // 0 when there is no such file
double PageWidthPoints(const std::string& pdf);
double PageHeightPoints(const std::string& pdf);
// The page's text lines, empty ones left out.
std::vector<std::string> PageLines(const std::string& pdf, int page);

struct Word {
    std::string text;
    double xMin, yMin, xMax, yMax;  // points
};
std::vector<Word> PageWords(const std::string& pdf, int page);
const Word* Find(const std::vector<Word>& words, const std::string& text);

// Every print dialog from now on is answered OK, printing into pdf.
void AnswerPrintDialogs(const std::string& pdf);

}  // namespace printtest

#endif
