#include "app/AboutDialog.h"

#include "app/AppIcon.h"
#include "app/AppTexts.h"
#include "app/FixedDialog.h"
#include "app/UiFont.h"
#include "app/VendorLinks.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// The picture beside the series, the program's name and its edition.
QHBoxLayout *makeHead(QWidget *dialog)
{
    auto *image = makeLabel(dialog, "Image1", QString());
    image->setPixmap(AppPicture(64));
    image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *series = makeLabel(dialog, "Label4", QStringLiteral("Orvane旅游软件系列"));
    series->setFont(SongTiFont(14.25));
    auto *name = makeLabel(dialog, "Label1", QStringLiteral("Quilvar"));
    name->setFont(SongTiFont(26.25, true));
    auto *edition = makeLabel(dialog, "Label2", QStringLiteral("免费绿色版V2.0"));
    edition->setFont(SongTiFont(15, true));

    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(series);
    titles->addWidget(name);
    titles->addWidget(edition);
    auto *head = new QHBoxLayout;
    head->setSpacing(16);
    head->addWidget(image);
    head->addLayout(titles, 1);
    return head;
}

// The vendor's web address, drawn as a link.
QLabel *makeLink(QWidget *dialog)
{
    auto *link = makeLabel(dialog, "Label5", VendorLinks::HomePage().toString());
    QFont linkFont = SongTiFont(10.5, true);
    linkFont.setUnderline(true);
    link->setFont(linkFont);
    QPalette linkPalette = link->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(linkPalette);
    link->setCursor(Qt::PointingHandCursor);
    return link;
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(AppText::aboutTitle());
    setFont(UiFont());

    QHBoxLayout *head = makeHead(this);
    auto *notice = makeLabel(this, "Label3",
                             QStringLiteral("本软件为免费软件，欢迎复制和传播；未经许可，不得出售或修改后发布。"
                                            "使用本软件所产生的一切后果由使用者自行承担。"));
    notice->setWordWrap(true);
    auto *supportTitle = makeLabel(this, "Label7", QStringLiteral("技术支持："));
    auto *support = makeLabel(this, "Label8", QStringLiteral("Orvane客户服务部  support@orvane.example"));
    auto *thanks = makeLabel(this, "Label6", QStringLiteral("感谢您选用Orvane旅游软件系列！"));

    m_link = makeLink(this);
    m_link->installEventFilter(this);

    auto *close = new QPushButton(AppText::closeButton(), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *contact = new QHBoxLayout;
    contact->setSpacing(0);
    contact->addWidget(supportTitle);
    contact->addWidget(support, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_link, 1);
    bottom->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(8);
    layout->addLayout(head);
    layout->addSpacing(4);
    layout->addWidget(notice);
    layout->addLayout(contact);
    layout->addWidget(thanks);
    layout->addSpacing(4);
    layout->addLayout(bottom);
    notice->setFixedWidth(360);

    MakeFixedCentred(*this);
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_link && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        VendorLinks::open(VendorLinks::HomePage());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
