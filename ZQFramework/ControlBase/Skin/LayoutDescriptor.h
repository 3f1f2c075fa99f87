#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The placement rules of one control: per axis a position rule, a size rule and minimum and maximum size
// rules, plus the flags other parts of the control base read. The skin reader fills one for every
// "SubControl"; a control takes its own copy (CopyTo) when its descriptor is applied. Plain data.
class LLayoutDescriptor : public LRefCountedObject
{
public:
    // ToControl of a position.
    static constexpr int32_t kPositionParent = 0, kPositionClient = 1, kPositionSibling = 2;
    // ToControl of a size.
    static constexpr int32_t kSizeParent = 0, kSizeClient = 1, kSizeSelf = 2, kSizeSibling = 3;
    // Text overflow.
    static constexpr int32_t kOverflowClip = 0, kOverflowExpand = 1, kOverflowWrap = 2;

    // Where the control stands on one axis; Docked is the axis's docked flag, carried along.
    struct AxisPosition
    {
        float Anchor = 0;
        int32_t ToControl = kPositionClient;
        WString ReferenceName; // compared only for kPositionSibling
        float Rel = 0;
        double Abs = 0;
        bool Docked = false;

        [[nodiscard]] bool operator==(const AxisPosition& other) const;
    };

    // How long the control is on one axis.
    struct AxisSize
    {
        int32_t ToControl = kSizeSelf;
        WString ReferenceName; // compared only for kSizeSibling
        float Rel = 0;
        double Abs = 0;

        [[nodiscard]] bool operator==(const AxisSize& other) const;
    };

    // A minimum or maximum: the control itself (ToOther false) or "Children" or one named child.
    struct AxisLimit
    {
        bool ToOther = false;
        WString ReferenceName; // compared only when ToOther
        float Rel = 0;
        double Abs = 0;

        [[nodiscard]] bool operator==(const AxisLimit& other) const;
    };

    [[nodiscard]] static RCPtr<LLayoutDescriptor> Create();

    LLayoutDescriptor();
    ~LLayoutDescriptor() override;

    // Copies every field into target, creating it when null; returns target.
    RCPtr<LLayoutDescriptor>& CopyTo(RCPtr<LLayoutDescriptor>& target) const;
    // Axis 0 is X, 1 is Y; E_INVALIDARG for any other axis.
    ZQRESULT GetAxis(int32_t axis, AxisPosition& position, AxisSize& size) const;
    ZQRESULT GetAxisLimits(int32_t axis, AxisLimit& minimum, AxisLimit& maximum) const;

    bool mClipToParent = true;
    int32_t mZOrder = 0;
    int32_t mTabStop = 0;
    bool mVisible = true;
    bool mEnabled = true;
    bool mXDocked = false;
    bool mYDocked = false;
    AxisPosition mXPosition;
    AxisPosition mYPosition;
    AxisSize mXSize;
    AxisSize mYSize;
    AxisLimit mXMinimum;
    AxisLimit mYMinimum;
    AxisLimit mXMaximum;
    AxisLimit mYMaximum;
    WString mTextDecoration;
    int32_t mTextOverflowX = kOverflowClip;
    int32_t mTextOverflowY = kOverflowClip;
    int32_t mLayoutOrder = 0;
};
} // namespace ZQ
