#include "tools/about_dialog.h"

#include "commands/command_context.h"
#include "resources/menu_table.h"
#include "view/prompts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vorn {

namespace {

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QPixmap vornPicture(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 100.0, size / 100.0);

    QLinearGradient tile(0, 0, 0, 100);
    tile.setColorAt(0, QColor(0x1f, 0x5f, 0x7a));
    tile.setColorAt(1, QColor(0x0c, 0x2a, 0x3e));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(2, 2, 96, 96), 18, 18);

    // The angle brackets of the XML text.
    QPen bracket(QColor(0x9f, 0xd8, 0xe8), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(bracket);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({QPointF(24, 32), QPointF(12, 50), QPointF(24, 68)}));
    painter.drawPolyline(QPolygonF({QPointF(76, 32), QPointF(88, 50), QPointF(76, 68)}));

    // The V, as a ribbon folded at its point, as a movie's frames fold into one file.
    QPainterPath v;
    v.moveTo(30, 24);
    v.lineTo(42, 24);
    v.lineTo(50, 56);
    v.lineTo(58, 24);
    v.lineTo(70, 24);
    v.lineTo(55, 78);
    v.lineTo(45, 78);
    v.closeSubpath();
    QLinearGradient ribbon(0, 24, 0, 78);
    ribbon.setColorAt(0, QColor(0xff, 0xb3, 0x47));
    ribbon.setColorAt(1, QColor(0xf0, 0x6a, 0x1d));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ribbon);
    painter.drawPath(v);
    return picture;
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent), m_picture(new QLabel(this)),
      m_version(new QLabel(QStringLiteral("Version 1.1.1.0"), this)), m_links(new QLabel(this)) {
    setWindowTitle(QStringLiteral("About"));
    m_picture->setPixmap(vornPicture(96));
    m_picture->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("<b>Vorn</b>"), this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name->setFont(big);
    auto* about = new QLabel(
        QStringLiteral("An editor of Flash movies as XML text: open a movie, edit its tags as "
                       "text, save it as a movie again and play it."),
        this);
    about->setWordWrap(true);
    m_links->setText(QStringLiteral("<a href=\"%1\">Vorn home page</a><br>"
                                    "<a href=\"%2\">Check for updates</a>")
                         .arg(latin1(homePageAddress()), latin1(updateAddress())));
    m_links->setTextFormat(Qt::RichText);
    m_links->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_links->setOpenExternalLinks(true);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(m_version);
    text->addSpacing(8);
    text->addWidget(about);
    text->addSpacing(8);
    text->addWidget(m_links);
    text->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_picture);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);
    resize(460, 250);
}

void aboutBox(CommandContext& context) {
    CAboutDlg dialog(context.frame);
    context.prompts.exec(dialog);
}

} // namespace vorn
