#include "app/NoticeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

NoticeBar::NoticeBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FraNotice"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#FraNotice { background: #fff4c2; border: 1px solid #d9b53c; }"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 2, 2);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("LblNotice"));
    m_text->setWordWrap(true);
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("CmdNoticeClose"));
    m_close->setText(QStringLiteral("×"));
    m_close->setAutoRaise(true);
    m_close->setToolTip(QStringLiteral("关闭提示"));
    layout->addWidget(m_text, 1);
    layout->addWidget(m_close, 0, Qt::AlignTop);
    connect(m_close, &QToolButton::clicked, this, [this] {
        m_text->clear();
        hide();
        emit visibilityChanged();
    });
    hide();
}

void NoticeBar::add(const QString &text)
{
    m_text->setText(m_text->text().isEmpty() ? text : m_text->text() + QLatin1Char('\n') + text);
    show();
    emit visibilityChanged();
}

QString NoticeBar::text() const
{
    return m_text->text();
}
