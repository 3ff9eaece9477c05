// The cards of one group of a rated hand (see HandGroup), held inline. A
// group never holds more than seven cards, and hands are rated many times a
// second (every computer decision, every showdown), so a record must not cost
// an allocation per group. It offers the vector operations callers use on a
// group; a card pushed onto a full group is dropped, never written past the
// end.
//
// A plain value: the thread that owns the record it belongs to uses it.
#pragma once

#include "game/table/Card.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>

class CardGroup {
public:
    static constexpr size_t kCapacity = 7;

    using value_type = Card;
    using size_type = size_t;
    using difference_type = std::ptrdiff_t;
    using reference = Card&;
    using const_reference = const Card&;
    using pointer = Card*;
    using const_pointer = const Card*;
    using iterator = Card*;
    using const_iterator = const Card*;

    CardGroup() = default;
    CardGroup(std::initializer_list<Card> cards) { Assign(cards); }
    CardGroup& operator=(std::initializer_list<Card> cards)
    {
        Assign(cards);
        return *this;
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    static constexpr size_t capacity() { return kCapacity; }
    static constexpr size_t max_size() { return kCapacity; }

    Card& operator[](size_t index) { return cards_[index]; }
    const Card& operator[](size_t index) const { return cards_[index]; }
    Card& at(size_t index) { return cards_[Checked(index)]; }
    const Card& at(size_t index) const { return cards_[Checked(index)]; }
    Card& front() { return cards_[0]; }
    const Card& front() const { return cards_[0]; }
    Card& back() { return cards_[size_ - 1]; }
    const Card& back() const { return cards_[size_ - 1]; }

    Card* data() { return cards_.data(); }
    const Card* data() const { return cards_.data(); }
    iterator begin() { return cards_.data(); }
    iterator end() { return cards_.data() + size_; }
    const_iterator begin() const { return cards_.data(); }
    const_iterator end() const { return cards_.data() + size_; }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    void push_back(const Card& card)
    {
        if (size_ < kCapacity)
            cards_[size_++] = card;
    }
    void pop_back()
    {
        if (size_ > 0)
            --size_;
    }
    void clear() { size_ = 0; }

    friend bool operator==(const CardGroup& a, const CardGroup& b)
    {
        if (a.size_ != b.size_)
            return false;
        for (size_t i = 0; i < a.size_; ++i) {
            if (a.cards_[i] != b.cards_[i])
                return false;
        }
        return true;
    }

private:
    void Assign(std::initializer_list<Card> cards)
    {
        size_ = 0;
        for (const Card& card : cards)
            push_back(card);
    }

    size_t Checked(size_t index) const
    {
        if (index >= size_)
            throw std::out_of_range("CardGroup::at");
        return index;
    }

    std::array<Card, kCapacity> cards_;
    uint16_t size_ = 0;
};
