#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

// An ordered list that owns its items: Delete and Remove free the item,
// Extract hands it back to the caller.
template <typename T>
class TOwningList {
public:
    TOwningList() = default;
    ~TOwningList() { Clear(); }
    TOwningList(const TOwningList&) = delete;
    TOwningList& operator=(const TOwningList&) = delete;

    T* Add(std::unique_ptr<T> item)
    {
        FItems.push_back(std::move(item));
        return FItems.back().get();
    }

    // The index is clamped to 0..Count().
    T* Insert(int index, std::unique_ptr<T> item)
    {
        index = std::clamp(index, 0, Count());
        return FItems.insert(FItems.begin() + index, std::move(item))->get();
    }

    void Delete(int index)
    {
        std::unique_ptr<T> item = std::move(FItems.at(std::size_t(index)));
        FItems.erase(FItems.begin() + index);
        // Freed once out of the list: its destructor may look at the others.
        item.reset();
    }

    void Remove(T* item)
    {
        const int i = IndexOf(item);
        if (i >= 0)
            Delete(i);
    }

    std::unique_ptr<T> Extract(T* item)
    {
        const int i = IndexOf(item);
        if (i < 0)
            return nullptr;
        std::unique_ptr<T> out = std::move(FItems[std::size_t(i)]);
        FItems.erase(FItems.begin() + i);
        return out;
    }

    int IndexOf(const T* item) const
    {
        for (std::size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].get() == item)
                return int(i);
        return -1;
    }

    T* Items(int index) const { return FItems.at(std::size_t(index)).get(); }
    int Count() const { return int(FItems.size()); }

    // Out-of-range indices do nothing.
    void Move(int from, int to)
    {
        if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to)
            return;
        std::unique_ptr<T> item = std::move(FItems[std::size_t(from)]);
        FItems.erase(FItems.begin() + from);
        FItems.insert(FItems.begin() + to, std::move(item));
    }

    // Frees the items from the last to the first.
    void Clear()
    {
        while (!FItems.empty())
            Delete(Count() - 1);
    }

private:
    std::vector<std::unique_ptr<T>> FItems;
};
