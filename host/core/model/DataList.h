#pragma once

#include "host/core/model/Data.h"

#include <initializer_list>
#include <vector>

namespace Tesselon {

class SharedImageSet;
class TrackingSequence;

/// A selection of data objects, as the user picked them; it does not own them.
class DataList
{
public:
    DataList() = default;
    DataList(std::initializer_list<Data*> items) : m_items(items) {}
    explicit DataList(std::vector<Data*> items) : m_items(std::move(items)) {}

    void add(Data* data) { m_items.push_back(data); }
    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    Data* operator[](std::size_t index) const { return m_items[index]; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    const std::vector<Data*>& getAll() const { return m_items; }

    /// Every entry whose dynamic type is T or derives from it, in order.
    template <class T>
    std::vector<T*> getAll() const
    {
        std::vector<T*> found;
        for (Data* data : m_items)
            if (auto* typed = dynamic_cast<T*>(data))
                found.push_back(typed);
        return found;
    }

    /// The first entry of this kind, or null.
    Data* getFirst(Data::Kind kind) const;

    /// The images of this kind (`Data::Unknown` for any) and modality (0 for any), in order.
    /// Templated only so that this header needs no image type; call it without arguments in <>.
    template <class Image = SharedImageSet>
    std::vector<Image*> getImages(Data::Kind kind = Data::Kind::Unknown, int modality = 0) const
    {
        std::vector<Image*> images;
        for (Image* image : getAll<Image>())
            if ((kind == Data::Kind::Unknown || image->kind() == kind) &&
                (modality == 0 || image->modality() == modality))
                images.push_back(image);
        return images;
    }

    /// The first image of this kind and modality, or null.
    template <class Image = SharedImageSet>
    Image* getImage(Data::Kind kind = Data::Kind::Unknown, int modality = 0) const
    {
        const auto images = getImages<Image>(kind, modality);
        return images.empty() ? nullptr : images.front();
    }

    template <class Sequence = TrackingSequence>
    std::vector<Sequence*> getTrackingSequences() const
    {
        return getAll<Sequence>();
    }

private:
    std::vector<Data*> m_items;
};

}  // namespace Tesselon
