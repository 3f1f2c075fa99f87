#include "ZQFramework/Utilities/Graphics/Region.h"

#include "ZQFramework/Utilities/Graphics/Point.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace ZQ
{
// The process-wide store of region nodes: 512 slots handed out through a ring of free slot indices;
// nodes beyond that come from the heap and go back to it. The pool lives until the process ends, so
// regions held by static objects stay safe to destroy at exit.
struct Region::Pool
{
    static constexpr uint32_t Capacity = 512;

    std::mutex lock;
    std::unique_ptr<std::array<Node, Capacity>> slots; // guarded by lock, made at the first allocation
    std::array<uint32_t, Capacity> ring{};             // guarded by lock
    uint32_t head = 0;                                 // guarded by lock
    uint32_t freeCount = 0;                            // guarded by lock
    uint32_t inUse = 0;                                // guarded by lock
    uint32_t mostInUse = 0;                            // guarded by lock

    static Pool& Instance()
    {
        static Pool* const pool = new Pool;
        return *pool;
    }

    Node* Take()
    {
        std::lock_guard guard(lock);
        if (mostInUse == 0 && !slots)
        {
            slots = std::make_unique<std::array<Node, Capacity>>();
            for (uint32_t i = 0; i < Capacity; ++i)
                ring[i] = i;
            head = 0;
            freeCount = Capacity;
        }
        if (++inUse > mostInUse)
            mostInUse = inUse;
        Node* node;
        if (freeCount != 0)
        {
            node = &(*slots)[ring[head]];
            head = (head + 1) % Capacity;
            --freeCount;
        }
        else
        {
            node = new Node;
        }
        *node = Node{};
        return node;
    }

    void Give(Node* node)
    {
        std::lock_guard guard(lock);
        Node* const first = slots ? slots->data() : nullptr;
        const bool inArray = first != nullptr && node >= first && node < first + Capacity;
        if (inArray && freeCount < Capacity)
        {
            ring[(head + freeCount) % Capacity] = static_cast<uint32_t>(node - first);
            ++freeCount;
        }
        else
        {
            delete node;
        }
        --inUse;
    }
};

namespace
{
bool Overlaps(int32_t left1, int32_t top1, int32_t right1, int32_t bottom1, int32_t left2, int32_t top2,
              int32_t right2, int32_t bottom2)
{
    return left1 < right2 && left2 < right1 && top1 < bottom2 && top2 < bottom1;
}

int32_t Shifted(int32_t value, int32_t delta)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}
} // namespace

Region::Node* Region::NewNode(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Node* node = Pool::Instance().Take();
    node->left = left;
    node->top = top;
    node->right = right;
    node->bottom = bottom;
    return node;
}

void Region::DeleteNode(Node* node)
{
    Pool::Instance().Give(node);
}

uint32_t Region::GetNodesInUse()
{
    Pool& pool = Pool::Instance();
    std::lock_guard guard(pool.lock);
    return pool.inUse;
}

void Region::Push(Node* node)
{
    node->next = mHead;
    mHead = node;
}

Region::Region(const Region& other)
{
    AppendCopy(other);
}

Region::Region(Region&& other) noexcept : mHead(std::exchange(other.mHead, nullptr))
{
}

Region& Region::operator=(const Region& other)
{
    if (this != &other)
    {
        Clear();
        AppendCopy(other);
    }
    return *this;
}

Region& Region::operator=(Region&& other) noexcept
{
    if (this != &other)
    {
        Clear();
        mHead = std::exchange(other.mHead, nullptr);
    }
    return *this;
}

Region::~Region()
{
    Clear();
}

void Region::AddRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (left >= right || top >= bottom)
        return;
    SubtractRect(left, top, right, bottom);
    Push(NewNode(left, top, right, bottom));
}

void Region::AddRect(const RectT<double>& rect)
{
    const int32_t left = AddHalfAndTruncate(rect.x);
    const int32_t top = AddHalfAndTruncate(rect.y);
    const int32_t right = Shifted(left, AddHalfAndTruncate(rect.width));
    const int32_t bottom = Shifted(top, AddHalfAndTruncate(rect.height));
    AddRect(left, top, right, bottom);
}

void Region::SubtractRect(int32_t left, int32_t top, int32_t right, int32_t bottom, Region* removed)
{
    // Pieces are collected apart and put in front afterwards, so the walk never meets them.
    Region pieces;
    Node** link = &mHead;
    while (Node* node = *link)
    {
        if (!Overlaps(node->left, node->top, node->right, node->bottom, left, top, right, bottom))
        {
            link = &node->next;
            continue;
        }
        const int32_t middleTop = std::max(node->top, top);
        const int32_t middleBottom = std::min(node->bottom, bottom);
        if (node->top < top)
            pieces.Push(NewNode(node->left, node->top, node->right, top));
        if (bottom < node->bottom)
            pieces.Push(NewNode(node->left, bottom, node->right, node->bottom));
        if (node->left < left)
            pieces.Push(NewNode(node->left, middleTop, left, middleBottom));
        if (right < node->right)
            pieces.Push(NewNode(right, middleTop, node->right, middleBottom));

        *link = node->next;
        node->left = std::max(node->left, left);
        node->right = std::min(node->right, right);
        node->top = middleTop;
        node->bottom = middleBottom;
        if (removed != nullptr)
            removed->Push(node);
        else
            DeleteNode(node);
    }
    if (pieces.mHead != nullptr)
    {
        Node* last = pieces.mHead;
        while (last->next != nullptr)
            last = last->next;
        last->next = mHead;
        mHead = std::exchange(pieces.mHead, nullptr);
    }
}

void Region::SubtractRegion(const Region& other, Region* removed)
{
    if (&other == this || &other == removed)
    {
        const Region copy(other);
        SubtractRegion(copy, removed);
        return;
    }
    for (const Node* node = other.mHead; node != nullptr; node = node->next)
        SubtractRect(node->left, node->top, node->right, node->bottom, removed);
}

void Region::Intersect(const Region& other)
{
    Region overlap;
    SubtractRegion(other, &overlap);
    std::swap(mHead, overlap.mHead);
}

void Region::Offset(int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return;
    for (Node* node = mHead; node != nullptr; node = node->next)
    {
        node->left = Shifted(node->left, dx);
        node->right = Shifted(node->right, dx);
        node->top = Shifted(node->top, dy);
        node->bottom = Shifted(node->bottom, dy);
    }
}

bool Region::GetBounds(Edges& bounds) const
{
    bounds = Edges{};
    if (mHead == nullptr)
        return false;
    bounds = Edges{mHead->left, mHead->top, mHead->right, mHead->bottom};
    for (const Node* node = mHead->next; node != nullptr; node = node->next)
    {
        bounds.left = std::min(bounds.left, node->left);
        bounds.top = std::min(bounds.top, node->top);
        bounds.right = std::max(bounds.right, node->right);
        bounds.bottom = std::max(bounds.bottom, node->bottom);
    }
    return true;
}

uint32_t Region::GetRectCount() const
{
    uint32_t count = 0;
    for (const Node* node = mHead; node != nullptr; node = node->next)
        ++count;
    return count;
}

bool Region::IntersectsRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    for (const Node* node = mHead; node != nullptr; node = node->next)
    {
        if (Overlaps(node->left, node->top, node->right, node->bottom, left, top, right, bottom))
            return true;
    }
    return false;
}

bool Region::IntersectsRect(const RectT<double>& rect, const PointT<double>& offset) const
{
    constexpr double epsilon = 2.220446049250313e-16; // 2^-52
    constexpr double highest = 2147483647.0;
    const double shiftedLeft = rect.x + offset.x;
    const double shiftedTop = rect.y + offset.y;
    const double left = std::max(shiftedLeft, 0.0);
    const double top = std::max(shiftedTop, 0.0);
    const double right = std::min(shiftedLeft + rect.width, highest);
    const double bottom = std::min(shiftedTop + rect.height, highest);
    if (!(right - left > epsilon) || !(bottom - top > epsilon))
        return false;
    return IntersectsRect(RoundToLong(left), RoundToLong(top), RoundToLong(right), RoundToLong(bottom));
}

void Region::AppendCopy(const Region& other)
{
    if (&other == this)
        return;
    for (const Node* node = other.mHead; node != nullptr; node = node->next)
        Push(NewNode(node->left, node->top, node->right, node->bottom));
}

void Region::Clear()
{
    while (Node* node = mHead)
    {
        mHead = node->next;
        DeleteNode(node);
    }
}

namespace
{
using Edges = Region::Edges;

void SortByTop(std::vector<Edges>& rects)
{
    // Neighbour swaps until a pass changes nothing: equal tops keep their order.
    bool swapped = true;
    while (swapped)
    {
        swapped = false;
        for (size_t i = 1; i < rects.size(); ++i)
        {
            if (rects[i].top < rects[i - 1].top)
            {
                std::swap(rects[i], rects[i - 1]);
                swapped = true;
            }
        }
    }
}

// Cuts the rectangles into bands: all rectangles that share a top also share a bottom afterwards, and
// no rectangle reaches past the top of the next band.
void MakeBands(std::vector<Edges>& rects)
{
    size_t start = 0;
    while (start < rects.size())
    {
        const int32_t top = rects[start].top;
        size_t end = start;
        int32_t limit = rects[start].bottom;
        while (end < rects.size() && rects[end].top == top)
            limit = std::min(limit, rects[end++].bottom);
        if (end < rects.size())
            limit = std::min(limit, rects[end].top);
        for (size_t i = start; i < end; ++i)
        {
            if (rects[i].bottom <= limit)
                continue;
            const Edges lower{rects[i].left, limit, rects[i].right, rects[i].bottom};
            rects[i].bottom = limit;
            size_t at = end;
            while (at < rects.size() && rects[at].top < limit)
                ++at;
            rects.insert(rects.begin() + static_cast<std::ptrdiff_t>(at), lower);
        }
        start = end;
    }
}

// Within each band: ordered by left edge, touching neighbours joined.
void JoinWithinBands(std::vector<Edges>& rects)
{
    std::vector<Edges> joined;
    joined.reserve(rects.size());
    size_t start = 0;
    while (start < rects.size())
    {
        size_t end = start;
        while (end < rects.size() && rects[end].top == rects[start].top)
            ++end;
        std::stable_sort(rects.begin() + static_cast<std::ptrdiff_t>(start),
                         rects.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const Edges& a, const Edges& b) { return a.left < b.left; });
        const size_t bandStart = joined.size();
        for (size_t i = start; i < end; ++i)
        {
            if (joined.size() > bandStart && joined.back().right == rects[i].left)
                joined.back().right = rects[i].right;
            else
                joined.push_back(rects[i]);
        }
        start = end;
    }
    rects.swap(joined);
}

// A rectangle that ends where a later one of the same left and right begins is taken into that one.
void JoinAcrossBands(std::vector<Edges>& rects)
{
    std::vector<bool> gone(rects.size(), false);
    for (size_t upper = 0; upper < rects.size(); ++upper)
    {
        for (size_t lower = upper + 1; lower < rects.size(); ++lower)
        {
            if (gone[lower] || rects[lower].top != rects[upper].bottom ||
                rects[lower].left != rects[upper].left || rects[lower].right != rects[upper].right)
                continue;
            rects[lower].top = rects[upper].top;
            gone[upper] = true;
            break;
        }
    }
    std::vector<Edges> kept;
    for (size_t i = 0; i < rects.size(); ++i)
    {
        if (!gone[i])
            kept.push_back(rects[i]);
    }
    rects.swap(kept);
}
} // namespace

void Region::Optimize()
{
    std::vector<Edges> rects;
    for (const Node* node = mHead; node != nullptr; node = node->next)
        rects.push_back(Edges{node->left, node->top, node->right, node->bottom});
    if (rects.size() < 2)
        return;
    SortByTop(rects);
    MakeBands(rects);
    JoinWithinBands(rects);
    JoinAcrossBands(rects);

    Clear();
    for (auto it = rects.rbegin(); it != rects.rend(); ++it)
        Push(NewNode(it->left, it->top, it->right, it->bottom));
}
} // namespace ZQ
