// The printers Print Setup lists: the print system's, or a test's (see printers.h).
#include "printers.h"

#include <QPrinterInfo>

namespace {

CPrinterSource* g_pPrinterSource = nullptr;

AfxPrinterDesc::State StateOf(const QPrinterInfo& info)
{
    switch (info.state()) {
    case QPrinter::Active:
        return AfxPrinterDesc::kPrinting;
    case QPrinter::Aborted:
        return AfxPrinterDesc::kStopped;
    case QPrinter::Error:
        return AfxPrinterDesc::kError;
    default:
        return AfxPrinterDesc::kIdle;
    }
}

// The queues as Qt's print support reads them from the print system.
class SystemPrinters : public CPrinterSource {
public:
    std::vector<AfxPrinterDesc> GetPrinters() override
    {
        std::vector<AfxPrinterDesc> printers;
        const QString defaultName = QPrinterInfo::defaultPrinterName();
        for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
            AfxPrinterDesc desc;
            desc.name = info.printerName();
            desc.makeAndModel = info.makeAndModel();
            desc.location = info.location();
            desc.description = info.description();
            desc.state = StateOf(info);
            desc.bDefault = info.isDefault() || desc.name == defaultName;
            desc.pageSizes = info.supportedPageSizes();
            desc.defaultPageSize = info.defaultPageSize();
            desc.duplexModes = info.supportedDuplexModes();
            desc.colorModes = info.supportedColorModes();
            printers.push_back(desc);
        }
        return printers;
    }

    void SelectPrinter(QPrinter& printer, const QString& name) override
    {
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
    }
};

}  // namespace

CPrinterSource* AfxGetPrinterSource()
{
    if (g_pPrinterSource != nullptr)
        return g_pPrinterSource;
    static SystemPrinters system;
    return &system;
}

void AfxSetPrinterSource(CPrinterSource* pSource)
{
    g_pPrinterSource = pSource;
}

QList<QPageSize> AfxFilePageSizes()
{
    QList<QPageSize> sizes;
    for (QPageSize::PageSizeId id : {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::JisB4,
                                     QPageSize::JisB5, QPageSize::Letter, QPageSize::Legal,
                                     QPageSize::Postcard})
        sizes.append(QPageSize(id));
    return sizes;
}
