#include "view/printing.h"

#include "view/prompts.h"
#include "view/view.h"

#include <Qsci/qsciprinter.h>

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>

#include <cmath>

namespace vorn {

CPrinting::CPrinting(IPrompts& prompts) : m_prompts(prompts) {}

CPrinting::~CPrinting() = default;

QsciPrinter& CPrinting::printer() {
    if (!m_printer) {
        m_printer = std::make_unique<QsciPrinter>(QPrinter::HighResolution);
        m_printer->setMagnification(0);
    }
    // The margins are the session's, whatever a dialog did to the printer since.
    m_printer->setFullPage(false);
    m_printer->setPageMargins(QMarginsF(m_margins.left / 1000.0, m_margins.top / 1000.0,
                                        m_margins.right / 1000.0, m_margins.bottom / 1000.0),
                              QPageLayout::Inch);
    return *m_printer;
}

void CPrinting::pageSetup(QWidget* parent) {
    QsciPrinter& device = printer();
    QPageSetupDialog dialog(&device, parent);
    if (m_prompts.exec(dialog) != QDialog::Accepted)
        return;
    const QMarginsF inches = device.pageLayout().margins(QPageLayout::Inch);
    const auto thousandths = [](qreal value) {
        return static_cast<int>(std::lround(value * 1000));
    };
    m_margins = {thousandths(inches.left()), thousandths(inches.top()), thousandths(inches.right()),
                 thousandths(inches.bottom())};
}

void CPrinting::print(QWidget* parent, CView& view) {
    QsciPrinter& device = printer();
    QPrintDialog dialog(&device, parent);
    if (m_prompts.exec(dialog) != QDialog::Accepted)
        return;
    // Pages show the colours the screen would, also of lines never scrolled to.
    view.colourWholeText();
    device.printRange(&view);
}

} // namespace vorn
