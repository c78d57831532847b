#include "render/text_keys.h"

#include "render/trace.h"

namespace lt77 {

bool SendCouponImageData(JobContext& job)
{
    TraceLog("SendCouponImageData : START");
    // Coupon names are only collected once text keys are captured; until a
    // page collects one there is nothing to print here.
    const bool nothing = job.pdev.couponImgNames.empty();
    job.pdev.couponImgNames.clear();
    TraceLog("SendCouponImageData : END");
    return nothing;
}

}  // namespace lt77
