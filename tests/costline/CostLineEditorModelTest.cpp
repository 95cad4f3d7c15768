#include "costline/CostLineEditorModel.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Changes = std::vector<std::pair<QString, QString>>;
using Slots = std::vector<int>;

// What the host sees of the editor: each ChangeText with the line as it stood then.
struct Host
{
    explicit Host(CostLineEditorModel &model) : model(model)
    {
        QObject::connect(&model, &CostLineEditorModel::ChangeText, [this] {
            changes.push_back({this->model.StrBds(), AmountToText(this->model.CurHjje())});
        });
        QObject::connect(&model, &CostLineEditorModel::Resize, [this] { widths.push_back(this->model.width()); });
    }
    CostLineEditorModel &model;
    Changes changes;
    std::vector<int> widths;
};

void load(CostLineEditorModel &model, const QString &text)
{
    model.setStrBds(text);
    model.ReadStrBds();
}

TEST(CostLineEditorModel, ReadsTheWorkedExampleAndRemovesAFactor)
{
    CostLineEditorModel model;
    Host host(model);
    load(model, q(u"单价: 123.00 × 45间 × 6天"));

    EXPECT_EQ(model.unitPriceText(), q(u"123"));
    EXPECT_EQ(model.usedSlots(), (Slots{1, 2}));
    EXPECT_EQ(model.countText(1) + model.unitWord(1) + u'|' + model.countText(2) + model.unitWord(2), q(u"45间|6天"));
    // The host sees the intermediate states one after another, in text order.
    EXPECT_EQ(host.changes, (Changes{{q(u"单价: 123.00"), q(u"123")},
                                     {q(u"单价: 123.00 × 45"), q(u"5535")},
                                     {q(u"单价: 123.00 × 45间"), q(u"5535")},
                                     {q(u"单价: 123.00 × 45间 × 6"), q(u"33210")},
                                     {q(u"单价: 123.00 × 45间 × 6天"), q(u"33210")}}));

    host.changes.clear();
    EXPECT_EQ(model.pressButton(0), CostLineEditorModel::ButtonResult::Removed);
    EXPECT_EQ(host.changes, (Changes{{q(u"单价: 123.00 × 6天"), q(u"738")}}));
}

TEST(CostLineEditorModel, RightmostButtonAppendsOthersRemoveTheFactorToTheirRight)
{
    CostLineEditorModel model;
    model.setUnitPriceText(q(u"300"));
    EXPECT_EQ(model.pressButton(0), CostLineEditorModel::ButtonResult::Appended);
    EXPECT_EQ(model.LastSlot(), 1);
    // An empty factor changes nothing until its count is typed.
    EXPECT_EQ(model.StrBds(), q(u"单价: 300.00"));
    model.setCountText(1, q(u"2"));
    model.setUnitWord(1, q(u"晚"));
    EXPECT_EQ(model.StrBds(), q(u"单价: 300.00 × 2晚"));
    EXPECT_EQ(AmountToText(model.CurHjje()), q(u"600"));

    // Three factors in slots 1, 2, 3: the slot-1 button removes slot 2, slot 3 moves left; the
    // slot-0 button then removes slot 1 and slot 3 moves left again, past the free slot 2.
    model.pressButton(1);
    model.pressButton(2);
    model.setCountText(2, q(u"3"));
    model.setCountText(3, q(u"4"));
    EXPECT_EQ(model.usedSlots(), (Slots{1, 2, 3}));
    EXPECT_EQ(model.pressButton(1), CostLineEditorModel::ButtonResult::Removed);
    EXPECT_EQ(model.usedSlots(), (Slots{1, 3}));
    EXPECT_EQ(model.geometry(3).countLeft, model.buttonRight(1) + CostLineEditorModel::Gap);
    EXPECT_EQ(model.pressButton(0), CostLineEditorModel::ButtonResult::Removed);
    EXPECT_EQ(model.usedSlots(), (Slots{3}));
    EXPECT_EQ(model.geometry(3).countLeft, model.buttonRight(0) + CostLineEditorModel::Gap);
    EXPECT_EQ(model.StrBds(), q(u"单价: 300.00 × 4"));
    EXPECT_EQ(model.LastSlot(), 3);
    EXPECT_EQ(model.width(), model.buttonRight(3) + CostLineEditorModel::RightMargin);

    // New factors go after the highest slot in use, whatever lies free below it.
    EXPECT_EQ(model.pressButton(3), CostLineEditorModel::ButtonResult::Appended);
    EXPECT_EQ(model.usedSlots(), (Slots{3, 4}));
}

TEST(CostLineEditorModel, AFactorPastSlotNineteenCanStillBeRemoved)
{
    CostLineEditorModel model;
    for (int i = 0; i < 25; ++i)
        model.pressButton(model.LastSlot());
    for (int slot = 1; slot <= 24; ++slot)
        model.pressButton(0); // removes the lowest factor each time
    EXPECT_EQ(model.usedSlots(), (Slots{25}));
    model.pressButton(model.LastSlot());
    EXPECT_EQ(model.pressButton(25), CostLineEditorModel::ButtonResult::Removed);
    EXPECT_EQ(model.usedSlots(), (Slots{25}));
    // A button with nothing to its right removes nothing and still rebuilds.
    int changes = 0;
    QObject::connect(&model, &CostLineEditorModel::ChangeText, [&] { ++changes; });
    EXPECT_EQ(model.pressButton(40), CostLineEditorModel::ButtonResult::NoFactorToRemove);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model.usedSlots(), (Slots{25}));
}

TEST(CostLineEditorModel, ReadingNumbersFactorsFromOneAgainAndKeepsAPriceTheTextLacks)
{
    CostLineEditorModel model;
    model.setUnitPriceText(q(u"88"));
    for (int i = 0; i < 6; ++i)
        model.pressButton(model.LastSlot());
    model.pressButton(0);
    model.pressButton(0);
    load(model, q(u"45间 × 6天"));
    EXPECT_EQ(model.usedSlots(), (Slots{1, 2}));
    EXPECT_EQ(model.LastSlot(), 2);
    EXPECT_EQ(model.unitPriceText(), q(u"88"));
    EXPECT_EQ(model.StrBds(), q(u"单价: 88.00 × 45间 × 6天"));
}

TEST(CostLineEditorModel, BlankTextEmptiesThePriceAndRaisesOnlyWhenSomethingChanged)
{
    CostLineEditorModel model;
    Host host(model);
    load(model, q(u"   "));
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(model.StrBds(), q(u"   ")); // nothing rebuilt: the host's text stays
    EXPECT_EQ(model.width(), 480 + 915 + 300);

    load(model, q(u"单价: 5.00 × 2间"));
    host.changes.clear();
    load(model, QString());
    EXPECT_EQ(host.changes, (Changes{{q(u"单价: 0.00"), q(u"0")}}));
    EXPECT_TRUE(model.usedSlots().empty());
    EXPECT_EQ(model.unitPriceText(), QString());

    // A price-only text equal to the price box changes nothing either.
    model.setUnitPriceText(q(u"50"));
    host.changes.clear();
    load(model, q(u"单价: 50.00"));
    EXPECT_TRUE(host.changes.empty());
}

TEST(CostLineEditorModel, GrowsToTheRightAndReportsEveryWidthChange)
{
    CostLineEditorModel model;
    Host host(model);
    model.pressButton(0);
    model.pressButton(1);
    const int slotWidth = 30 + 555 + 30 + 675 + 30 + 300;
    EXPECT_EQ(host.widths, (Slots{1680 + slotWidth + 60, 1680 + 2 * slotWidth + 60}));
    EXPECT_EQ(model.geometry(1).countLeft, 1710);
    EXPECT_EQ(model.geometry(1).unitLeft, 1710 + 555 + 30);
    EXPECT_EQ(model.geometry(1).buttonLeft, 1710 + 555 + 30 + 675 + 30);
    model.pressButton(0);
    EXPECT_EQ(host.widths.back(), 1680 + slotWidth + 60);
}

TEST(CostLineEditorModel, EditingAnEarlierFactorRebuildsTheRestAndACountOfOneStaysOutOfTheText)
{
    // The build keeps its intermediate states; a change in the middle must not reuse stale ones.
    CostLineEditorModel model;
    load(model, q(u"单价: 10.00 × 2间 × 3天 × 4人"));
    EXPECT_EQ(AmountToText(model.CurHjje()), q(u"240"));
    model.setCountText(2, q(u"5"));
    EXPECT_EQ(model.StrBds(), q(u"单价: 10.00 × 2间 × 5天 × 4人"));
    EXPECT_EQ(AmountToText(model.CurHjje()), q(u"400"));
    model.setUnitPriceText(q(u"1"));
    EXPECT_EQ(model.StrBds(), q(u"单价: 1.00 × 2间 × 5天 × 4人"));
    model.pressButton(1);
    EXPECT_EQ(model.StrBds(), q(u"单价: 1.00 × 2间 × 4人"));
    EXPECT_EQ(AmountToText(model.CurHjje()), q(u"8"));
    // A count of one stays in the editor but not in the text, so reading the text back drops it.
    model.setCountText(1, q(u"1"));
    EXPECT_EQ(model.StrBds(), q(u"单价: 1.00 × 4人"));
    EXPECT_EQ(model.usedSlots(), (Slots{1, 3}));
    load(model, model.StrBds());
    EXPECT_EQ(model.usedSlots(), (Slots{1}));
}

TEST(CostLineEditorModel, ThousandsOfFactorsReadInReasonableWork)
{
    QString text = q(u"单价: 1.00");
    for (int i = 0; i < 3000; ++i)
        text += q(u" × 1.0001间");
    CostLineEditorModel model;
    int changes = 0;
    QObject::connect(&model, &CostLineEditorModel::ChangeText, [&] { ++changes; });
    load(model, text);
    EXPECT_EQ(int(model.usedSlots().size()), 3000);
    EXPECT_EQ(changes, 1 + 2 * 3000);
    EXPECT_EQ(model.StrBds(), BuildStrBds(q(u"1"), QList<Factor>(3000, {q(u"1.0001"), q(u"间")})).text);
}

} // namespace
