#pragma once

#include "quote/GroupQuote.h"
#include "sheet/PriceBreaks.h"

#include <QList>
#include <QString>

#include <optional>

class CostSheet;

// The sheet as one JSON object, texts exactly as held; with price breaks, their table as "breaks";
// with a group quote, its figures as "quote".
QString SheetJson(const CostSheet &sheet, const QList<PriceBreak> &breaks = {},
                  const std::optional<GroupQuote> &quote = std::nullopt);
