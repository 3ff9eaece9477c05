#include "framework/resources/DataElement.h"

#include <algorithm>

namespace Zolt {

std::unique_ptr<DataElement> SingleDataElement::Clone() const
{
    return std::make_unique<SingleDataElement>(value);
}

ListDataElement::ListDataElement(const ListDataElement& other) : DataElement(true)
{
    elements.reserve(other.elements.size());
    for (const auto& element : other.elements)
        elements.push_back(element->Clone());
}

std::unique_ptr<DataElement> ListDataElement::Clone() const { return std::make_unique<ListDataElement>(*this); }

DataElement* ListDataElement::Add(std::unique_ptr<DataElement> element)
{
    elements.push_back(std::move(element));
    return elements.back().get();
}

int DataElementDepth(const DataElement& element)
{
    if (!element.isList)
        return 0;
    int deepest = 0;
    for (const auto& child : static_cast<const ListDataElement&>(element).elements)
        deepest = std::max(deepest, DataElementDepth(*child));
    return deepest + 1;
}

size_t DataElementCount(const DataElement& element)
{
    size_t count = 1;
    if (element.isList)
        for (const auto& child : static_cast<const ListDataElement&>(element).elements)
            count += DataElementCount(*child);
    return count;
}

} // namespace Zolt
