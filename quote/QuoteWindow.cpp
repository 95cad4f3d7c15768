#include "quote/QuoteWindow.h"

#include "common/Dialogs.h"
#include "quote/AgencyDialog.h"
#include "quote/CustomerQuote.h"
#include "quote/FlaggedLinesModel.h"
#include "quote/QuoteIni.h"
#include "quote/QuoteMessages.h"
#include "quote/QuoteSettings.h"
#include "quote/QuoteTableModel.h"
#include "sheet/CostSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <type_traits>

namespace {

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

const QLatin1String taxBases[] = {QLatin1String("price"), QLatin1String("profit")};

QHBoxLayout *row(std::initializer_list<QWidget *> widgets)
{
    auto *line = new QHBoxLayout;
    for (QWidget *w : widgets)
        line->addWidget(w);
    line->addStretch();
    return line;
}

// A grid of two columns of captioned fields, side by side with a gap between them.
QGridLayout *twoColumnGrid(QWidget *box)
{
    auto *grid = new QGridLayout(box);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(2, 16);
    grid->setColumnStretch(4, 1);
    grid->setVerticalSpacing(4);
    return grid;
}

// A caption and its field (a widget or a layout) in one of the grid's two columns.
// A field spanning both columns goes in column 0 with span 4.
template <typename Field>
void place(QGridLayout *grid, int line, int column, const QString &caption, Field *field, int span = 1,
           Qt::Alignment captionAt = Qt::AlignVCenter)
{
    if (!caption.isEmpty())
        grid->addWidget(new QLabel(caption, grid->parentWidget()), line, 3 * column, Qt::AlignLeft | captionAt);
    if constexpr (std::is_base_of_v<QLayout, Field>)
        grid->addLayout(field, line, 3 * column + 1, 1, span);
    else
        grid->addWidget(field, line, 3 * column + 1, 1, span);
}

// A table that asks for no more height than its minimum: the page opens as short as it can,
// and the table takes whatever height the window has beyond that.
class CompactTable : public QTableView
{
public:
    using QTableView::QTableView;
    QSize sizeHint() const override { return {QTableView::sizeHint().width(), minimumHeight()}; }
};

bool sameTexts(const QuoteSettingTexts &a, const QuoteSettingTexts &b)
{
    for (const QuoteSettingField &field : QuoteSettingFields()) {
        if (a.*field.text != b.*field.text)
            return false;
    }
    return true;
}

} // namespace

QuoteWindow::QuoteWindow(const CostSheet &sheet, const QString &iniFilePath, QWidget *parent)
    : QWidget(parent, Qt::Window), m_sheet(sheet), m_iniFilePath(iniFilePath)
{
    setObjectName(QStringLiteral("FrmQuote"));
    setWindowTitle(QStringLiteral("报价单"));
    // The calculator's font, as the dialogs it opens have it.
    setAttribute(Qt::WA_WindowPropagation);
    if (parent)
        setFont(parent->font());

    QWidget *contents = buildPage();
    loadSettings();

    // Every change of the sheet lands in one recomputation once the event that made it is done,
    // so a paste of many rows costs one, and the table is current before the next keystroke.
    m_follow.setSingleShot(true);
    m_follow.setInterval(0);
    connect(&m_follow, &QTimer::timeout, this, &QuoteWindow::recompute);
    connect(&m_follow, &QTimer::timeout, this, &QuoteWindow::followIncludes);
    auto follow = [this] { m_follow.start(); };
    connect(&sheet, &CostSheet::rowsInserted, this, follow);
    connect(&sheet, &CostSheet::rowsRemoved, this, follow);
    connect(&sheet, &CostSheet::reset, this, follow);
    connect(&sheet, &CostSheet::rowsChanged, this, follow);
    connect(&sheet, &CostSheet::text3Changed, this, follow);
    recompute();
    followIncludes();
    fitScreen(contents);
}

// The whole page when the screen has room for it; otherwise as much as the screen's free area
// holds beside a window frame, and the rest a scroll away.
void QuoteWindow::fitScreen(QWidget *contents)
{
    QSize wanted(qMax(800, contents->sizeHint().width()), contents->sizeHint().height());
    const QSize room = screen()->availableGeometry().size() - WindowFrame;
    if (wanted.height() > room.height())
        wanted.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(wanted.boundedTo(room));
}

// Everything in one scrolling page, so the window fits a laptop's screen at any scale.
QWidget *QuoteWindow::buildPage()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = named(new QScrollArea(this), "ScrQuote");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    outer->addWidget(scroll);
    auto *contents = named(new QWidget(scroll), "FraQuoteContents");
    auto *layout = new QVBoxLayout(contents);
    const QMargins margins = layout->contentsMargins();
    layout->setContentsMargins(margins.left(), 6, margins.right(), 6);
    buildSettings();
    layout->addWidget(findChild<QGroupBox *>(QStringLiteral("FraSettings")));
    m_unknownSettings = named(new QLabel(this), "LblUnknownSettings");
    m_message = named(new QLabel(this), "LblMessage");
    for (QLabel *label : {m_unknownSettings, m_message}) {
        label->setStyleSheet(QStringLiteral("color: #b00020"));
        label->setWordWrap(true);
        label->hide();
        layout->addWidget(label);
    }

    buildTable();
    layout->addWidget(m_table, 1);
    auto *supplementRow = new QHBoxLayout;
    supplementRow->addWidget(new QLabel(QStringLiteral("单房差（元/人）："), this));
    m_supplement = named(new QLabel(this), "LblSupplement");
    m_supplement->setTextInteractionFlags(Qt::TextSelectableByMouse);
    supplementRow->addWidget(m_supplement);
    supplementRow->addStretch();
    layout->addLayout(supplementRow);
    buildFlagged();
    layout->addWidget(m_flagged);
    buildDocument();
    layout->addWidget(findChild<QGroupBox *>(QStringLiteral("FraDocument")));
    scroll->setWidget(contents);
    return contents;
}

void QuoteWindow::buildTable()
{
    m_model = new QuoteTableModel(this);
    m_table = named(new CompactTable(this), "TblQuote");
    m_table->setModel(m_model);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Rows as tall as the text needs, and room for four sizes before the table scrolls.
    const int rowHeight = fontMetrics().height() + 6;
    m_table->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_table->setMinimumHeight(m_table->horizontalHeader()->sizeHint().height() + 4 * rowHeight + 4);
}

const GroupQuote &QuoteWindow::quote() const
{
    return m_model->quote();
}

QLineEdit *QuoteWindow::settingEdit(const char *name, int width)
{
    auto *edit = named(new QLineEdit(this), name);
    edit->setMaximumWidth(width);
    connect(edit, &QLineEdit::textChanged, this, &QuoteWindow::recompute);
    connect(edit, &QLineEdit::editingFinished, this, &QuoteWindow::saveSettings);
    return edit;
}

// Two columns: who travels and how they sleep on the left, how the price is made on the right.
void QuoteWindow::buildSettings()
{
    auto *box = named(new QGroupBox(QStringLiteral("报价设置"), this), "FraSettings");
    auto *grid = twoColumnGrid(box);
    auto edit = [this](const char *name, int width = 80) { return settingEdit(name, width); };
    auto text = [box](const QString &caption) { return new QLabel(caption, box); };

    m_sizes = edit("TxtSizes", 320);
    m_sizes->setPlaceholderText(QStringLiteral("付费人数，用逗号分隔，如 15,20,25,30"));
    place(grid, 0, 0, QStringLiteral("团队人数："), m_sizes);
    m_freeEvery = edit("TxtFreeEvery");
    m_staff = edit("TxtStaff");
    place(grid, 1, 0, QStringLiteral("免费名额："),
          row({text(QStringLiteral("每")), m_freeEvery, text(QStringLiteral("人免 1（0 为不免）")),
               text(QStringLiteral("    陪同")), m_staff, text(QStringLiteral("人"))}));
    m_rooms = named(new QCheckBox(QStringLiteral("房间按人数排（两人一间，陪同各一间）"), box), "ChkRooms");
    // Partly checked only while the file's value is not understood; a click settles it.
    connect(m_rooms, &QCheckBox::stateChanged, this, [this](int state) {
        m_rooms->setTristate(state == Qt::PartiallyChecked);
        recompute();
        saveSettings();
    });
    place(grid, 2, 0, QString(), m_rooms);
    m_roomCategories = edit("TxtRoomCategories", 320);
    m_roomCategories->setPlaceholderText(QStringLiteral("这些项目的“间”按人数排房，并计入单房差，如 房,住宿"));
    place(grid, 3, 0, QStringLiteral("房费类别："), m_roomCategories);
    buildPricing(grid);
}

void QuoteWindow::buildPricing(QGridLayout *grid)
{
    QWidget *box = grid->parentWidget();
    auto text = [box](const QString &caption) { return new QLabel(caption, box); };
    m_rule = named(new QComboBox(box), "CboRule");
    for (const SellingRuleName &choice : SellingRuleNames)
        m_rule->addItem(QString::fromUtf16(choice.caption), choice.keyword);
    m_ruleValue = settingEdit("TxtRuleValue", 80);
    m_ruleUnit = named(new QLabel(box), "LblRuleUnit");
    connect(m_rule, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_ruleUnit->setText(index < 0 ? QString() : QString::fromUtf16(SellingRuleNames[index].unit));
        m_ruleValue->setEnabled(index != 0);
        recompute();
        saveSettings();
    });
    place(grid, 0, 1, QStringLiteral("定价："), row({m_rule, m_ruleValue, m_ruleUnit}));

    m_tax = settingEdit("TxtTax", 80);
    m_taxBase = named(new QComboBox(box), "CboTaxBase");
    m_taxBase->addItem(QStringLiteral("按报价全额计税"), taxBases[0]);
    m_taxBase->addItem(QStringLiteral("按利润差额计税"), taxBases[1]);
    connect(m_taxBase, &QComboBox::currentIndexChanged, this, [this] {
        recompute();
        saveSettings();
    });
    place(grid, 1, 1, QStringLiteral("税点："), row({m_tax, text(QStringLiteral("%")), m_taxBase}));
    m_round = settingEdit("TxtRound", 80);
    place(grid, 2, 1, QStringLiteral("报价取整："),
          row({text(QStringLiteral("向上取整到")), m_round, text(QStringLiteral("元的倍数（0 为不取整）"))}));
    m_childExcludes = settingEdit("TxtChildExcludes", 320);
    place(grid, 3, 1, QStringLiteral("儿童价不含："), m_childExcludes);
}

void QuoteWindow::buildFlagged()
{
    m_flagged = named(new QWidget(this), "FraFlagged");
    auto *layout = new QVBoxLayout(m_flagged);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel(
        QStringLiteral("以下各行的金额与表达式算出的不同（改过金额或议过价），报价按表达式计算，请核对："), m_flagged);
    layout->addWidget(caption);
    m_flaggedModel = new FlaggedLinesModel(this);
    auto *table = named(new QTableView(m_flagged), "TblFlagged");
    table->setModel(m_flaggedModel);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(FlaggedLinesModel::ContentColumn, QHeaderView::Stretch);
    const int rowHeight = fontMetrics().height() + 6;
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    table->setMaximumHeight(table->horizontalHeader()->sizeHint().height() + 2 * rowHeight + 4);
    layout->addWidget(table);
    m_flagged->hide();
}

void QuoteWindow::buildDocument()
{
    auto *box = named(new QGroupBox(QStringLiteral("客人报价单（不含成本、利润和税金）"), this), "FraDocument");
    auto *grid = twoColumnGrid(box);
    buildDocumentTexts(grid);
    m_roundNote = named(new QLabel(QStringLiteral("报价取整为 0：报价单上的价格向上取整到分。"), box), "LblRoundNote");
    m_roundNote->hide();
    grid->addWidget(m_roundNote, 4, 0, 1, 5);
    // The letterhead and the exports share the last line with 儿童标准.
    auto *buttons = new QHBoxLayout;
    auto *agency = named(new QPushButton(QStringLiteral("报价单抬头(&H)…"), box), "CmdAgency");
    connect(agency, &QPushButton::clicked, this, [this] {
        AgencyDialog dialog(m_iniFilePath, this);
        dialog.exec();
    });
    buttons->addWidget(agency);
    buttons->addStretch();
    m_pdf = named(new QPushButton(QStringLiteral("导出PDF(&P)…"), box), "CmdPdf");
    m_workbook = named(new QPushButton(QStringLiteral("导出Excel(&E)…"), box), "CmdXlsx");
    buttons->addWidget(m_pdf);
    buttons->addWidget(m_workbook);
    grid->addLayout(buttons, 3, 3, 1, 2);
    connect(m_pdf, &QPushButton::clicked, this, [this] { exportDocument(true); });
    connect(m_workbook, &QPushButton::clicked, this, [this] { exportDocument(false); });
}

// The tour and the quote's number and dates above, 费用包含 and 费用不含 side by side below.
void QuoteWindow::buildDocumentTexts(QGridLayout *grid)
{
    QWidget *box = grid->parentWidget();
    auto changed = [this] { emit perTourTextsChanged(); };
    auto line = [&](const char *name) {
        auto *edit = named(new QLineEdit(box), name);
        connect(edit, &QLineEdit::textChanged, this, changed);
        return edit;
    };
    auto text = [&](const char *name) {
        auto *edit = named(new QPlainTextEdit(box), name);
        edit->setMaximumHeight(6 * fontMetrics().height());
        connect(edit, &QPlainTextEdit::textChanged, this, changed);
        return edit;
    };
    m_tourName = line("TxtTourName");
    place(grid, 0, 0, QStringLiteral("团名："), m_tourName);
    m_tourDate = line("TxtTourDate");
    place(grid, 0, 1, QStringLiteral("日期："), m_tourDate);
    buildNumberAndDates(grid);
    m_childRule = line("TxtChildRule");
    m_childRule->setText(QuoteTexts().childRule);
    place(grid, 3, 0, QStringLiteral("儿童标准："), m_childRule);
    m_includes = text("TxtIncludes");
    auto *refill = named(new QPushButton(QStringLiteral("按费用表重填"), box), "CmdRefillIncludes");
    connect(refill, &QPushButton::clicked, this, [this] {
        m_filledIncludes = QString();
        m_includes->setPlainText(QString());
        followIncludes();
    });
    auto *includesRow = new QHBoxLayout;
    includesRow->addWidget(m_includes, 1);
    includesRow->addWidget(refill, 0, Qt::AlignTop);
    place(grid, 2, 0, QStringLiteral("费用包含："), includesRow, 1, Qt::AlignTop);
    m_excludes = text("TxtExcludes");
    place(grid, 2, 1, QStringLiteral("费用不含："), m_excludes, 1, Qt::AlignTop);
    showValidity();
}

// 报价编号, 报价日期 and the days of validity on one line, with the date they give.
void QuoteWindow::buildNumberAndDates(QGridLayout *grid)
{
    QWidget *box = grid->parentWidget();
    m_quoteNumber = named(new QLineEdit(box), "TxtQuoteNumber");
    connect(m_quoteNumber, &QLineEdit::textChanged, this, &QuoteWindow::perTourTextsChanged);
    m_quoteNumber->setMaximumWidth(160);
    m_quoteNumber->setText(NextQuoteNumber(ReadLastQuoteNumber(m_iniFilePath), QDate::currentDate()));
    m_issueDate = named(new QDateEdit(QDate::currentDate(), box), "DtpIssueDate");
    m_issueDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_issueDate->setCalendarPopup(true);
    m_issueDate->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("2026-12-07")) + 48);
    m_validDays = named(new QSpinBox(box), "SpnValidDays");
    m_validDays->setRange(0, MaxValidDays);
    m_validDays->setValue(QuoteTexts().validDays);
    m_validUntil = named(new QLabel(box), "LblValidUntil");
    connect(m_issueDate, &QDateEdit::dateChanged, this, [this] {
        showValidity();
        emit perTourTextsChanged();
    });
    connect(m_validDays, &QSpinBox::valueChanged, this, [this] {
        showValidity();
        emit perTourTextsChanged();
    });
    auto *numberRow = new QHBoxLayout;
    const QList<QWidget *> row{m_quoteNumber, new QLabel(QStringLiteral("  报价日期："), box),
                               m_issueDate,   new QLabel(QStringLiteral("  有效"), box),
                               m_validDays,   new QLabel(QStringLiteral("天  "), box),
                               m_validUntil};
    for (QWidget *w : row)
        numberRow->addWidget(w);
    numberRow->addStretch();
    place(grid, 1, 0, QStringLiteral("报价编号："), numberRow, 4);
}

void QuoteWindow::showValidity()
{
    m_validUntil->setText(CustomerQuoteText::validity(m_issueDate->date().addDays(m_validDays->value())));
}

// 费用包含 is filled from the ticked rows, and refilled as they change for as long as it holds
// what was filled in; once the planner has written in it, it is theirs.
void QuoteWindow::followIncludes()
{
    if (m_includes->toPlainText() != m_filledIncludes)
        return;
    m_filledIncludes = IncludesFromRows(m_sheet.rows());
    if (m_includes->toPlainText() != m_filledIncludes)
        m_includes->setPlainText(m_filledIncludes);
}

QuoteTexts QuoteWindow::quoteTexts() const
{
    QuoteTexts t;
    t.tourName = m_tourName->text();
    t.tourDate = m_tourDate->text();
    t.quoteNumber = m_quoteNumber->text();
    t.issueDate = m_issueDate->date();
    t.validDays = m_validDays->value();
    t.childRule = m_childRule->text();
    t.includes = m_includes->toPlainText();
    t.excludes = m_excludes->toPlainText();
    return t;
}

void QuoteWindow::setQuoteTexts(const QuoteTexts &t)
{
    {
        const QSignalBlocker blockers[] = {QSignalBlocker(m_tourName),    QSignalBlocker(m_tourDate),
                                           QSignalBlocker(m_quoteNumber), QSignalBlocker(m_issueDate),
                                           QSignalBlocker(m_validDays),   QSignalBlocker(m_childRule),
                                           QSignalBlocker(m_includes),    QSignalBlocker(m_excludes)};
        m_tourName->setText(t.tourName);
        m_tourDate->setText(t.tourDate);
        if (!t.quoteNumber.isEmpty())
            m_quoteNumber->setText(t.quoteNumber);
        if (t.issueDate.isValid())
            m_issueDate->setDate(t.issueDate);
        m_validDays->setValue(t.validDays);
        m_childRule->setText(t.childRule);
        m_includes->setPlainText(t.includes);
        m_excludes->setPlainText(t.excludes);
    }
    // Texts that were never written follow the sheet again.
    m_filledIncludes = t.includes.isEmpty() ? QString() : m_filledIncludes;
    followIncludes();
    showValidity();
}

QJsonObject QuoteWindow::perTourTexts() const
{
    QJsonObject texts = m_carried;
    const QJsonObject known = quoteTexts().toJson();
    for (auto it = known.begin(); it != known.end(); ++it)
        texts.insert(it.key(), it.value());
    return texts;
}

void QuoteWindow::setPerTourTexts(const QJsonObject &texts)
{
    m_carried = texts;
    setQuoteTexts(QuoteTexts::fromJson(texts));
}

QuoteSettingTexts QuoteWindow::settingTexts() const
{
    // A choice left unset shows as the empty text, which no setting accepts.
    const Qt::CheckState rooms = m_rooms->checkState();
    QuoteSettingTexts t;
    t.sizes = m_sizes->text();
    t.freeEvery = m_freeEvery->text();
    t.staff = m_staff->text();
    t.rooms = rooms == Qt::PartiallyChecked ? QString()
              : rooms == Qt::Checked        ? QStringLiteral("twin")
                                            : QStringLiteral("fixed");
    t.rule = m_rule->currentData().toString();
    t.ruleValue = m_ruleValue->text();
    t.tax = m_tax->text();
    t.taxBase = m_taxBase->currentData().toString();
    t.round = m_round->text();
    t.childExcludes = m_childExcludes->text();
    t.roomCategories = m_roomCategories->text();
    return t;
}

void QuoteWindow::showSettingTexts(const QuoteSettingTexts &t)
{
    const QSignalBlocker blockers[] = {
        QSignalBlocker(m_sizes),         QSignalBlocker(m_freeEvery),     QSignalBlocker(m_staff),
        QSignalBlocker(m_rooms),         QSignalBlocker(m_rule),          QSignalBlocker(m_ruleValue),
        QSignalBlocker(m_tax),           QSignalBlocker(m_taxBase),       QSignalBlocker(m_round),
        QSignalBlocker(m_childExcludes), QSignalBlocker(m_roomCategories)};
    m_sizes->setText(t.sizes);
    m_freeEvery->setText(t.freeEvery);
    m_staff->setText(t.staff);
    const QString rooms = t.rooms.trimmed();
    m_rooms->setTristate(rooms != QLatin1String("twin") && rooms != QLatin1String("fixed"));
    m_rooms->setCheckState(m_rooms->isTristate()            ? Qt::PartiallyChecked
                           : rooms == QLatin1String("twin") ? Qt::Checked
                                                            : Qt::Unchecked);
    // A keyword the window does not know leaves the choice empty.
    m_rule->setCurrentIndex(m_rule->findData(t.rule.trimmed()));
    const int rule = m_rule->currentIndex();
    m_ruleUnit->setText(rule < 0 ? QString() : QString::fromUtf16(SellingRuleNames[rule].unit));
    m_ruleValue->setEnabled(rule != 0);
    m_ruleValue->setText(t.ruleValue);
    m_tax->setText(t.tax);
    m_taxBase->setCurrentIndex(m_taxBase->findData(t.taxBase.trimmed()));
    m_round->setText(t.round);
    m_childExcludes->setText(t.childExcludes);
    m_roomCategories->setText(t.roomCategories);
}

// A stored value the window does not understand is never read as another one: it shows unset,
// is named once, and stays in the file until the planner sets that field.
void QuoteWindow::loadSettings()
{
    m_stored = ReadQuoteSettings(m_iniFilePath);
    QuoteSettingTexts shown = m_stored;
    for (const QuoteSettingField &field : QuoteSettingFields()) {
        if (!QuoteSettingHolds(m_stored, field.text, MaxWindowSizes)) {
            m_unknown.append(field);
            shown.*field.text = QString();
        }
    }
    showSettingTexts(shown);
    showUnknownSettings();
}

void QuoteWindow::showUnknownSettings()
{
    const QuoteSettingTexts texts = settingTexts();
    m_unknown.removeIf([&](const QuoteSettingField &field) { return !(texts.*field.text).isEmpty(); });
    QStringList values;
    for (const QuoteSettingField &field : m_unknown)
        values.append(field.key + QLatin1Char('=') + m_stored.*field.text);
    m_unknownSettings->setText(
        QStringLiteral("设置文件 %1 的 [Quote] 中有无法识别的设置：%2。这些设置在窗口中显示为未设置，"
                       "重新设定之前文件中的值保持不变。")
            .arg(QDir::toNativeSeparators(m_iniFilePath), values.join(QStringLiteral("、"))));
    m_unknownSettings->setVisible(!m_unknown.isEmpty());
}

void QuoteWindow::recompute()
{
    QuoteSettings settings;
    QString error;
    m_settingsValid = ParseQuoteSettings(settingTexts(), MaxWindowSizes, &settings, &error);
    const GroupQuote quote =
        m_settingsValid ? ComputeGroupQuote(m_sheet.rows(), settings, &m_calculator) : GroupQuote();
    if (m_settingsValid && quote.overflowed())
        error = QStringLiteral("有金额超出范围（显示为“溢出”），请检查报价表。");
    if (!m_unknown.isEmpty())
        showUnknownSettings();
    m_message->setText(error);
    m_message->setVisible(!error.isEmpty());
    m_model->setQuote(quote);
    m_flaggedModel->setLines(quote.flagged);
    m_flagged->setVisible(!quote.flagged.isEmpty());
    m_supplement->setText(m_settingsValid ? AmountToText(quote.singleSupplement) : QString());
    m_pdf->setEnabled(m_settingsValid && !quote.overflowed());
    m_roundNote->setVisible(m_settingsValid && settings.roundStep.units() == 0);
    m_workbook->setEnabled(m_pdf->isEnabled());
}

void QuoteWindow::saveSettings()
{
    // Only settings that hold are kept, and only when they changed; one that does not hold — typed
    // half-way, or not understood in the file — keeps what the file has.
    QuoteSettingTexts texts = settingTexts();
    for (const QuoteSettingField &field : QuoteSettingFields()) {
        if (!QuoteSettingHolds(texts, field.text, MaxWindowSizes))
            texts.*field.text = m_stored.*field.text;
    }
    if (m_iniFilePath.isEmpty() || sameTexts(texts, m_stored))
        return;
    QString error;
    if (!WriteQuoteSettings(texts, m_iniFilePath, &error)) {
        m_message->setText(QStringLiteral("报价设置没有保存：") + error);
        m_message->show();
        return;
    }
    m_stored = texts;
}

void QuoteWindow::exportDocument(bool pdf)
{
    recompute();
    CustomerQuote document;
    QString error;
    const QuoteTexts texts = quoteTexts();
    const AgencyDetails agency = ReadAgencyDetails(m_iniFilePath);
    if (!m_settingsValid || !MakeCustomerQuote(quote(), m_sheet.rows(), texts, agency,
                                               AgencyLogoPath(agency, m_iniFilePath), &document, &error)) {
        Dialogs::message(this, m_settingsValid ? error : QStringLiteral("报价设置有误，不能生成报价单。"),
                         OperationTitle, Dialogs::Icon::Warning);
        return;
    }
    const QString name =
        texts.tourName.trimmed() + CustomerQuoteText::title() +
        (texts.quoteNumber.trimmed().isEmpty() ? QString() : QLatin1Char('-') + texts.quoteNumber.trimmed()) +
        (pdf ? QStringLiteral(".pdf") : QStringLiteral(".xlsx"));
    const QString path = Dialogs::saveFileName(
        this, pdf ? QStringLiteral("导出报价单（PDF）") : QStringLiteral("导出报价单（Excel）"),
        QDir::home().filePath(name), pdf ? QStringLiteral("PDF 文件 (*.pdf)") : QStringLiteral("Excel 工作簿 (*.xlsx)"),
        pdf ? QStringLiteral("pdf") : QStringLiteral("xlsx"));
    if (path.isEmpty())
        return;
    const bool written =
        pdf ? WriteCustomerQuotePdf(document, path, &error) : WriteCustomerQuoteWorkbook(document, path, &error);
    if (!written) {
        Dialogs::message(this, error, OperationTitle, Dialogs::Icon::Critical);
        return;
    }
    // The running number moves on once a document carries it; both documents of one quote share it.
    if (!m_iniFilePath.isEmpty() && texts.quoteNumber.trimmed() != ReadLastQuoteNumber(m_iniFilePath) &&
        !WriteLastQuoteNumber(texts.quoteNumber, m_iniFilePath, &error)) {
        m_message->setText(QuoteMessage::quoteNumberNotRecorded(error));
        m_message->show();
    }
}
