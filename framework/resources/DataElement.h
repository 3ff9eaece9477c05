// The values of the description language: a single token as written
// (quotes kept) or a parenthesised list of values. A list owns its
// elements. Plain data, used by one parser on one thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace Zolt {

class DataElement {
public:
    explicit DataElement(bool list) : isList(list) {}
    virtual ~DataElement() = default;
    DataElement& operator=(const DataElement&) = delete;
    // A deep copy.
    virtual std::unique_ptr<DataElement> Clone() const = 0;

    const bool isList;

protected:
    DataElement(const DataElement&) = default;
};

class SingleDataElement : public DataElement {
public:
    explicit SingleDataElement(std::string text = {}) : DataElement(false), value(std::move(text)) {}
    std::unique_ptr<DataElement> Clone() const override;

    std::string value;
};

class ListDataElement : public DataElement {
public:
    ListDataElement() : DataElement(true) {}
    ListDataElement(const ListDataElement& other);
    std::unique_ptr<DataElement> Clone() const override;

    // Appends and returns the element.
    DataElement* Add(std::unique_ptr<DataElement> element);
    size_t Size() const { return elements.size(); }
    const DataElement& At(size_t index) const { return *elements[index]; }

    std::vector<std::unique_ptr<DataElement>> elements;
};

// Nesting depth of an element (a single value is 0, a list 1 + its deepest
// element) and the number of elements it holds in all, itself included.
int DataElementDepth(const DataElement& element);
size_t DataElementCount(const DataElement& element);

} // namespace Zolt
