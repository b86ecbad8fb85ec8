// Page setup and printing of the active document's text.
#pragma once

#include <memory>

class QWidget;
class QsciPrinter;

namespace vorn {

class CView;
class IPrompts;

// The page margins and the printer, kept for the whole session by the frame.
class CPrinting {
public:
    explicit CPrinting(IPrompts& prompts);
    ~CPrinting();

    // Shows the page setup dialog; on OK keeps its margins for the next print.
    void pageSetup(QWidget* parent);
    // Shows the print dialog and, on OK, prints the view's text within the margins.
    void print(QWidget* parent, CView& view);

    // The margins in thousandths of an inch: left, top, right, bottom.
    struct Margins {
        int left = 1000;
        int top = 1000;
        int right = 1000;
        int bottom = 1000;
        bool operator==(const Margins&) const = default;
    };
    const Margins& margins() const { return m_margins; }

private:
    QsciPrinter& printer();

    IPrompts& m_prompts;
    Margins m_margins;
    std::unique_ptr<QsciPrinter> m_printer;
};

} // namespace vorn
