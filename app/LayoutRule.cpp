#include "app/LayoutRule.h"

LayoutResult MainLayoutRule(const LayoutInput &in)
{
    LayoutResult out;
    float listWidth = in.listWidth;
    if (const float w = in.innerWidth - 120; w >= 0) {
        out.listWidth = w;
        listWidth = w;
    }
    // The fixed columns (280 + 1200 + 900) and the list's border and scroll bar take 2800.
    if (const float w = (listWidth - 2800) / 2; w >= 0) {
        out.contentWidth = w;
        out.expressionWidth = w;
    }
    float listHeight = in.listHeight;
    if (const float h = in.innerHeight - in.listTop - 60 - in.frameHeight; h >= 0) {
        out.listHeight = h;
        listHeight = h;
    }
    out.frameTop = in.listTop + listHeight;
    out.frameLeft = (in.innerWidth - in.frameWidth) / 2;
    return out;
}
