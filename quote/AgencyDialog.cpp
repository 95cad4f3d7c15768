#include "quote/AgencyDialog.h"

#include "common/Dialogs.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QLineEdit *lineEdit(QWidget *parent, const char *name, const QString &text)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(360);
    return edit;
}

} // namespace

AgencyDialog::AgencyDialog(const QString &iniFilePath, QWidget *parent)
    : QDialog(parent), m_iniFilePath(iniFilePath), m_details(ReadAgencyDetails(iniFilePath))
{
    setObjectName(QStringLiteral("FrmAgency"));
    setWindowTitle(QStringLiteral("报价单抬头"));
    auto *form = new QFormLayout(this);
    m_name = lineEdit(this, "TxtAgencyName", m_details.name);
    m_address = lineEdit(this, "TxtAgencyAddress", m_details.address);
    m_telephone = lineEdit(this, "TxtAgencyTelephone", m_details.telephone);
    m_contact = lineEdit(this, "TxtAgencyContact", m_details.contact);
    m_licence = lineEdit(this, "TxtAgencyLicence", m_details.licence);
    form->addRow(QStringLiteral("旅行社名称："), m_name);
    form->addRow(QStringLiteral("地址："), m_address);
    form->addRow(QStringLiteral("电话："), m_telephone);
    form->addRow(QStringLiteral("联系人："), m_contact);
    form->addRow(QStringLiteral("经营许可证号："), m_licence);

    auto *logoRow = new QHBoxLayout;
    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("LblAgencyLogo"));
    auto *choose = new QPushButton(QStringLiteral("选择图片(&L)…"), this);
    choose->setObjectName(QStringLiteral("CmdAgencyLogo"));
    auto *none = new QPushButton(QStringLiteral("不用标志"), this);
    none->setObjectName(QStringLiteral("CmdNoAgencyLogo"));
    logoRow->addWidget(m_logo, 1);
    logoRow->addWidget(choose);
    logoRow->addWidget(none);
    form->addRow(QStringLiteral("标志（PNG/JPEG）："), logoRow);
    connect(choose, &QPushButton::clicked, this, &AgencyDialog::chooseLogo);
    connect(none, &QPushButton::clicked, this, [this] {
        m_newLogo.clear();
        m_details.logo.clear();
        showLogo();
    });

    m_footer = new QPlainTextEdit(m_details.footer, this);
    m_footer->setObjectName(QStringLiteral("TxtAgencyFooter"));
    m_footer->setPlaceholderText(QStringLiteral("付款方式、取消和退款条款等，印在报价单末尾"));
    m_footer->setMinimumHeight(6 * fontMetrics().height());
    form->addRow(QStringLiteral("预订须知："), m_footer);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("CmdOk"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CmdCancel"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &AgencyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AgencyDialog::reject);
    form->addRow(buttons);
    showLogo();
}

void AgencyDialog::chooseLogo()
{
    const QString path = Dialogs::openFileName(this, QStringLiteral("选择标志图片"), QString(),
                                               QStringLiteral("图片 (*.png *.jpg *.jpeg)"));
    if (path.isEmpty())
        return;
    m_newLogo = path;
    showLogo();
}

void AgencyDialog::showLogo()
{
    const QString path = !m_newLogo.isEmpty() ? m_newLogo : AgencyLogoPath(m_details, m_iniFilePath);
    const QPixmap picture(path);
    if (path.isEmpty() || picture.isNull()) {
        m_logo->setText(path.isEmpty() ? QStringLiteral("（无）") : QFileInfo(path).fileName());
        return;
    }
    m_logo->setPixmap(picture.scaledToHeight(2 * fontMetrics().height(), Qt::SmoothTransformation));
    m_logo->setToolTip(QFileInfo(path).fileName());
}

void AgencyDialog::accept()
{
    AgencyDetails details = m_details;
    details.name = m_name->text();
    details.address = m_address->text();
    details.telephone = m_telephone->text();
    details.contact = m_contact->text();
    details.licence = m_licence->text();
    details.footer = m_footer->toPlainText();
    QString error;
    bool stored = m_newLogo.isEmpty() || CopyAgencyLogo(m_newLogo, m_iniFilePath, &details.logo, &error);
    stored = stored && WriteAgencyDetails(details, m_iniFilePath, &error);
    if (!stored) {
        Dialogs::message(this, QStringLiteral("报价单抬头没有保存：") + error, OperationTitle, Dialogs::Icon::Warning);
        return;
    }
    QDialog::accept();
}
