#pragma once

#include "model/ZadoveroColor.h"
#include "model/ZadoveroPageTemplate.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TKalenderData;
class TLocalizer;

using TFBPageTemplateList = std::vector<std::unique_ptr<TFBPageTemplate>>;
using TFBColorList = std::vector<std::unique_ptr<TFBColor>>;

// Every template of every product family, in catalogue order; built on
// first use and never changed afterwards.
const TFBPageTemplateList& PageTemplateCatalogue();

// Refills list with all templates, then keeps those sharing a layout type
// with types (and, with onlyStyle, of that style); a non-zero style's
// templates move to the front. French names say "Pleine page" for
// "Fullsize".
void FillLayoutList(TFBPageTemplateList& list, TFBLayoutTypen types, int style, bool onlyStyle);

// The first catalogue template with the key (case-insensitive); none for
// an unknown key.
const TFBPageTemplate* FindPageTemplate(const QString& key);

// The named fills and, last, the user's own colour (-1).
void FillColorList(TFBColorList& list);

// The German texts of the colour names, under section "Farben".
void RegisterColorTexts(TLocalizer& localizer);

// Clears the document and builds the pages of a product (the wizard's
// product code). An unknown code leaves the document untouched and returns
// false. Calendars always get twelve months of year; other products get
// pageCount pages (at least one).
bool ApplyProductSetup(TFBDocument& doc, int productCode, int pageCount, int year);
// The borderless A4 set-up with one page and no document name.
void SetupDefaultDocument(TFBDocument& doc);

// Whether an installed font family has the name; by default asked from the
// font resolver. Returns the check that was installed before.
using TFontFamilyCheck = std::function<bool(const QString& family)>;
TFontFamilyCheck SetFontFamilyCheck(TFontFamilyCheck check);
// The calendar style presets "A4-1" .. "A4-4", "A5-1" .. "A5-3": the
// calendar's defaults and then the preset's settings (month and year become
// today's). False for another name (the data is then only reset).
bool ApplyKalenderPreset(TKalenderData& data, const QString& preset);
