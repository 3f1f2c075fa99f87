#pragma once

#include "ZQFramework/Utilities/Graphics/Forward.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"

#include <cstdint>

namespace ZQ
{
// An area of pixels kept as a list of non-overlapping, non-empty integer rectangles (right and bottom
// exclusive). Carries dirty and invalid areas and hit areas; regions are made and dropped at a high rate
// while painting, so their nodes come from one process-wide pool. A region itself is not locked: its
// owner guards it where it is shared.
class Region
{
public:
    // A rectangle by its edges.
    struct Edges
    {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;

        friend constexpr bool operator==(const Edges&, const Edges&) = default;
    };

    Region() = default;
    Region(const Region& other);
    Region(Region&& other) noexcept;
    Region& operator=(const Region& other);
    Region& operator=(Region&& other) noexcept;
    ~Region();

    // Ignores an empty rectangle; otherwise cuts it out of the region and adds it as a node of its own.
    void AddRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // x, y, width and height each rounded by adding one half and truncating, then added as above.
    void AddRect(const RectT<double>& rect);
    // Removes the rectangle's area; the overlapped parts move to `removed` when it is given.
    void SubtractRect(int32_t left, int32_t top, int32_t right, int32_t bottom, Region* removed = nullptr);
    void SubtractRegion(const Region& other, Region* removed = nullptr);
    // Keeps only the area that the other region covers too.
    void Intersect(const Region& other);
    void Offset(int32_t dx, int32_t dy);
    // The union bounds; all zero and false when the region is empty.
    bool GetBounds(Edges& bounds) const;
    [[nodiscard]] uint32_t GetRectCount() const;
    [[nodiscard]] bool IsEmpty() const { return mHead == nullptr; }
    [[nodiscard]] bool IntersectsRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // The rectangle shifted by the point, clamped to the non-negative 32-bit range, edges rounded half
    // away from zero.
    [[nodiscard]] bool IntersectsRect(const RectT<double>& rect, const PointT<double>& offset) const;
    // Pushes a copy of every node of the other region, without removing overlaps; meant for copying into
    // an empty region.
    void AppendCopy(const Region& other);
    void Clear();
    // Rewrites the list into fewer rectangles covering the same pixels.
    void Optimize();

    // Replaces the array's contents by the rectangles, head first, as x, y, width and height.
    template <class ArrayT>
    void ToArray(ArrayT& rects) const
    {
        rects.RemoveAll();
        for (const Node* node = mHead; node != nullptr; node = node->next)
            rects.Add(
                RectT<int32_t>(node->left, node->top, node->right - node->left, node->bottom - node->top));
    }

    // Nodes of all regions now in use; for tests of the pool.
    [[nodiscard]] static uint32_t GetNodesInUse();

private:
    struct Node
    {
        int32_t left;
        int32_t top;
        int32_t right;
        int32_t bottom;
        Node* next;
    };

    struct Pool;

    static Node* NewNode(int32_t left, int32_t top, int32_t right, int32_t bottom);
    static void DeleteNode(Node* node);
    void Push(Node* node);

    Node* mHead = nullptr;
};
} // namespace ZQ
