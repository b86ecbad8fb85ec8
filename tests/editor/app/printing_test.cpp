// Page setup keeps its margins for the session; printing goes through the print dialog.
#include "view/printing.h"
#include "view_fixture.h"

#include <QFile>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>

namespace vorn::test {
namespace {

TEST_F(ViewTest, PageSetupKeepsItsMargins) {
    CPrinting printing(prompts);
    EXPECT_EQ(printing.margins(), (CPrinting::Margins{1000, 1000, 1000, 1000}));

    QMarginsF offered;
    prompts.dialogs.push_back([&offered](QDialog& dialog) {
        QPrinter* printer = static_cast<QPageSetupDialog&>(dialog).printer();
        offered = printer->pageLayout().margins(QPageLayout::Inch);
        printer->setPageMargins(QMarginsF(0.5, 0.25, 0.75, 1.5), QPageLayout::Inch);
        dialog.accept();
    });
    printing.pageSetup(view.get());
    EXPECT_EQ(offered, QMarginsF(1, 1, 1, 1));
    EXPECT_EQ(printing.margins(), (CPrinting::Margins{500, 250, 750, 1500}));

    // Cancel keeps the margins, whatever the dialog showed.
    prompts.dialogs.push_back([](QDialog& dialog) {
        static_cast<QPageSetupDialog&>(dialog).printer()->setPageMargins(QMarginsF(2, 2, 2, 2),
                                                                         QPageLayout::Inch);
        dialog.reject();
    });
    printing.pageSetup(view.get());
    EXPECT_EQ(printing.margins(), (CPrinting::Margins{500, 250, 750, 1500}));
    EXPECT_EQ(prompts.unscripted, 0);
}

TEST_F(ViewTest, PrintsWithinTheMargins) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString pdf = folder.filePath("page.pdf");
    CPrinting printing(prompts);
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "    <ShowFrame />\n";
    view->setDocumentText(text);

    QMarginsF margins;
    prompts.dialogs.push_back([&](QDialog& dialog) {
        QPrinter* printer = static_cast<QPrintDialog&>(dialog).printer();
        margins = printer->pageLayout().margins(QPageLayout::Inch);
        dialog.accept(); // sets the printer from the dialog's fields; the file is ours
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
    });
    printing.print(view.get(), *view);
    EXPECT_EQ(margins, QMarginsF(1, 1, 1, 1));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    // 200 lines do not fit on one page.
    EXPECT_GE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 2) << bytes.size();
    // Every line carries its colours on paper, also those never on screen.
    EXPECT_TRUE(view->isLineColoured(199));

    // A cancelled print dialog prints nothing.
    QFile::remove(pdf);
    prompts.dialogs.push_back([](QDialog& dialog) { dialog.reject(); });
    printing.print(view.get(), *view);
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
} // namespace vorn::test
