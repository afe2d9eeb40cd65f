// TObject: the common base of everything an event may carry as its parameter (components,
// parameter records, lists), so that a receiver can tell them apart with dynamic_cast.
#pragma once

#include <initializer_list>
#include <vector>

namespace tarn {

class TObject {
public:
    virtual ~TObject() = default;
};

// A plain list of objects it does not own.
class TList : public TObject {
public:
    TList() = default;
    TList(std::initializer_list<TObject*> items) : items_(items) {}

    int Count() const { return static_cast<int>(items_.size()); }
    TObject* Items(int index) const {
        return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)] : nullptr;
    }
    void Add(TObject* item) { items_.push_back(item); }

private:
    std::vector<TObject*> items_;
};

} // namespace tarn
