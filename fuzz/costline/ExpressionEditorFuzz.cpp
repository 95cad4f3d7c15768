#include "FuzzText.h"

#include "costline/CostLineEditorModel.h"
#include "costline/Expression.h"

#include <cstdlib>

// Reads any text into the editor as a click on the cell would, and checks that what the editor
// reports is the build of the fields it shows.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzText(data, size);
    const QList<StrBdsSegment> segments = ParseStrBds(text);
    if (segments.size() != SplitStrBds(text).size())
        std::abort();

    CostLineEditorModel model;
    bool changed = false;
    QObject::connect(&model, &CostLineEditorModel::ChangeText, [&] { changed = true; });
    model.setStrBds(text);
    model.ReadStrBds();

    QList<Factor> factors;
    for (int slot : model.usedSlots())
        factors.append({model.countText(slot), model.unitWord(slot)});
    const BuiltExpression built = BuildStrBds(model.unitPriceText(), factors);
    if (changed && (built.text != model.StrBds() || built.amount != model.CurHjje()))
        std::abort();
    if (!changed && model.StrBds() != text)
        std::abort();
    return 0;
}
