#include "tools/base64_tools.h"

#include "commands/command_context.h"
#include "documents/document.h"
#include "documents/document_boxes.h"
#include "documents/document_rules.h"
#include "files/document_files.h"
#include "files/problems.h"
#include "libswf/utils.h"
#include "tools/about_dialog.h"
#include "tools/tools.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <exception>
#include <filesystem>
#include <vector>

namespace vorn {

namespace {

QString fromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The wait cursor while a file is read or written.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Asks where decoded Base64 goes and writes it there. False when nothing was written.
bool saveDecoded(IPrompts& prompts, QWidget* owner, const std::vector<std::uint8_t>& bytes) {
    QFileDialog dialog(owner, QStringLiteral("Save As"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Asked below through the prompts, like every other question of the editor.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    dialog.setNameFilter(QStringLiteral("Binary  File (*.bin)"));
    dialog.selectFile(QStringLiteral("DecodedBase64"));
    if (prompts.exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const std::string path = toPath(dialog.selectedFiles().constFirst());
    std::error_code error;
    if (std::filesystem::exists(path, error) &&
        prompts.question(
            owner,
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(fromPath(path)),
            QStringLiteral("Save As")) != IPrompts::Answer::Yes)
        return false;
    try {
        WaitCursor wait;
        libswf::SwfUtils::WriteWholeFile(path, bytes.size(), bytes.data());
    } catch (const std::exception& e) {
        showBox(prompts, owner, saveFailure(path + ": " + e.what()));
        return false;
    }
    return true;
}

} // namespace

CBase64Encoder::CBase64Encoder(IPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_menu(new QMenuBar(this)),
      m_field(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Base64 Encoder"));
    setWindowIcon(QIcon(vornPicture(64)));
    QMenu* file = m_menu->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."), this, &CBase64Encoder::openFile);
    file->addAction(QStringLiteral("&Save As..."), this, &CBase64Encoder::saveAs);

    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::Monospace);
    m_field->setFont(font);
    m_field->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_field->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menu);
    layout->addWidget(m_field);
    layout->addWidget(buttons);
    // Wide enough for a line of 80 characters after its indentation.
    const int width = QFontMetrics(font).horizontalAdvance(QString(90, QLatin1Char('0')));
    resize(width + 60, 420);
}

void CBase64Encoder::openFile() {
    QFileDialog dialog(this, QStringLiteral("Open"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("All(*.*)"));
    if (m_prompts.exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    loadFile(toPath(dialog.selectedFiles().constFirst()));
}

bool CBase64Encoder::loadFile(const std::string& path) {
    std::string text;
    {
        WaitCursor wait;
        FileBytes file = ReadWholeFile(path);
        if (!file.ok) {
            showBox(m_prompts, this, problemReport(kProblemOpen, path));
            return false;
        }
        m_field->clear();
        text = base64EncoderText(
            std::span(reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size()));
    }
    // The field breaks lines at LF alone; the text's CR LF would show as CR LF LF.
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    shown.remove(QLatin1Char('\r'));
    m_field->setPlainText(shown);
    m_field->selectAll();
    return true;
}

void CBase64Encoder::saveAs() {
    const QString text = m_field->toPlainText();
    std::vector<std::uint8_t> bytes;
    // Text that is not Base64 is refused like an empty field, rather than written as the
    // nonsense a lenient decoder would make of it.
    if (text.isEmpty() || !decodeBase64Selection(text.toStdString(), bytes)) {
        showBox(m_prompts, this, problemReport(kProblemBase64));
        return;
    }
    saveDecoded(m_prompts, this, bytes);
}

void base64Encoder(CommandContext& context) {
    CBase64Encoder dialog(context.prompts, context.frame);
    context.prompts.exec(dialog);
}

void saveBase64AsBinary(CommandContext& context, IDocument& document) {
    CView* view = document.view();
    const std::string selection = view->selectedBytes();
    if (selection.empty())
        return;
    std::vector<std::uint8_t> bytes;
    if (!decodeBase64Selection(selection, bytes)) {
        showBox(context.prompts, view, problemReport(kProblemBase64));
        return;
    }
    saveDecoded(context.prompts, context.frame, bytes);
}

} // namespace vorn
