#pragma once

#include "quote/GroupQuote.h"
#include "quote/QuoteSettings.h"
#include "quote/QuoteTexts.h"

#include <QJsonObject>
#include <QTimer>
#include <QWidget>

class CostSheet;
class FlaggedLinesModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QuoteTableModel;

// 报价单: the price of the sheet at each group size, following the sheet as it is edited, and
// the customer's quote as a PDF or a workbook. Not modal; the settings are kept in default.ini.
class QuoteWindow : public QWidget
{
    Q_OBJECT
public:
    QuoteWindow(const CostSheet &sheet, const QString &iniFilePath, QWidget *parent = nullptr);

    const GroupQuote &quote() const;

    // The texts of the customer's quote as the planner has them now, and a whole set put in
    // (without perTourTextsChanged).
    QuoteTexts quoteTexts() const;
    void setQuoteTexts(const QuoteTexts &texts);
    // The same as one object (QuoteTexts' JSON): kept with the sheet and brought back with it.
    // Keys it does not know are carried along unchanged; missing ones take their defaults.
    QJsonObject perTourTexts() const;
    void setPerTourTexts(const QJsonObject &texts);

signals:
    void perTourTextsChanged();

private:
    void buildSettings();
    QLineEdit *settingEdit(const char *name, int width);
    void buildTable();
    void buildFlagged();
    void buildDocument();
    QuoteSettingTexts settingTexts() const;
    void showSettingTexts(const QuoteSettingTexts &texts);
    void loadSettings();
    void showUnknownSettings();
    void recompute();
    void saveSettings();
    void exportDocument(bool pdf);
    void buildDocumentTexts(class QFormLayout *form);
    void buildNumberAndDates(QFormLayout *form);
    void followIncludes();
    void showValidity();

    const CostSheet &m_sheet;
    QString m_iniFilePath;
    QTimer m_follow;
    QuoteTableModel *m_model = nullptr;
    QLineEdit *m_sizes = nullptr;
    QLineEdit *m_freeEvery = nullptr;
    QLineEdit *m_staff = nullptr;
    QCheckBox *m_rooms = nullptr;
    QComboBox *m_rule = nullptr;
    QLineEdit *m_ruleValue = nullptr;
    QLabel *m_ruleUnit = nullptr;
    QLineEdit *m_tax = nullptr;
    QComboBox *m_taxBase = nullptr;
    QLineEdit *m_round = nullptr;
    QLineEdit *m_childExcludes = nullptr;
    QLineEdit *m_roomCategories = nullptr;
    QLabel *m_unknownSettings = nullptr;
    QLabel *m_message = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_supplement = nullptr;
    FlaggedLinesModel *m_flaggedModel = nullptr;
    QWidget *m_flagged = nullptr;
    QLineEdit *m_tourName = nullptr;
    QLineEdit *m_tourDate = nullptr;
    QPlainTextEdit *m_excludes = nullptr;
    QLineEdit *m_quoteNumber = nullptr;
    QDateEdit *m_issueDate = nullptr;
    QSpinBox *m_validDays = nullptr;
    QLabel *m_validUntil = nullptr;
    QLineEdit *m_childRule = nullptr;
    QPlainTextEdit *m_includes = nullptr;
    QLabel *m_roundNote = nullptr;
    // 费用包含 follows the ticked rows until the planner writes it: the text last filled in.
    QString m_filledIncludes;
    QJsonObject m_carried;
    QPushButton *m_pdf = nullptr;
    QPushButton *m_workbook = nullptr;
    bool m_settingsValid = false;
    GroupCostCalculator m_calculator;
    // The settings as the file holds them; a setting that does not hold in the window keeps this.
    QuoteSettingTexts m_stored;
    // Stored values the window did not understand, shown unset until the planner sets them.
    QList<QuoteSettingField> m_unknown;
};
