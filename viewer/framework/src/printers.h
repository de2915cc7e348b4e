// The printers the machine has, as Print Setup lists them: the print
// system's queues (CUPS on Linux) with what it tells of each, and how a
// choice among them is put on the program's printer. Tests put a list of
// their own in its place.
#ifndef RUVOK_PRINTERS_H
#define RUVOK_PRINTERS_H

#include <QList>
#include <QPageSize>
#include <QPrinter>
#include <QString>

#include <vector>

struct AfxPrinterDesc {
    enum State { kIdle, kPrinting, kStopped, kError };

    QString name;         // the queue's name
    QString makeAndModel; // what kind of printer it is
    QString location;     // where it stands
    QString description;  // the comment its administrator gave it
    State state = kIdle;
    bool bDefault = false;
    QList<QPageSize> pageSizes;  // in the printer's own order
    QPageSize defaultPageSize;
    QList<QPrinter::DuplexMode> duplexModes;
    QList<QPrinter::ColorMode> colorModes;
};

class CPrinterSource {
public:
    virtual ~CPrinterSource() = default;
    // The printers there are now, the default one marked.
    virtual std::vector<AfxPrinterDesc> GetPrinters() = 0;
    // Makes printer print on the one named (one of GetPrinters()).
    virtual void SelectPrinter(QPrinter& printer, const QString& name) = 0;
};

// The source in use: the print system's, unless one was set.
CPrinterSource* AfxGetPrinterSource();
// Puts pSource in place (the caller keeps it); NULL goes back to the print
// system's.
void AfxSetPrinterSource(CPrinterSource* pSource);

// The paper sizes a job into a file offers, as a printer would.
QList<QPageSize> AfxFilePageSizes();

#endif
