#pragma once

#include "model/ZadoveroDocument.h"

#include <memory>
#include <type_traits>

// Building blocks for documents made by tests.
inline TFBPage* AddPage(TFBDocument& doc)
{
    return doc.Pages.Add(std::make_unique<TFBPage>(&doc));
}

// An element of type T added to the page list it belongs in.
template <class T>
T* AddElement(TFBPage* page, float cx, float cy, float w, float h)
{
    auto el = std::make_unique<T>(page);
    el->CenterX = cx;
    el->CenterY = cy;
    el->Width = w;
    el->Height = h;
    T* raw = el.get();
    if constexpr (std::is_base_of_v<TFBPictureElement, T>)
        page->Piclist.Add(std::move(el));
    else if constexpr (std::is_base_of_v<TFBKalenderElement, T>)
        page->Kalenderlist.Add(std::move(el));
    else
        page->Elementlist.Add(std::move(el));
    return raw;
}

inline TFBPictureElement* Frame(const TFBPage* page, int i)
{
    return static_cast<TFBPictureElement*>(page->Piclist.Items(i));
}
