// Text keys and coupons: printer data that replaces marked text by other
// text or by stored images, and coupon images collected for the document's end.
#pragma once

#include "render/job_commands.h"

namespace lt77 {

// Writes the coupon images collected during the document (spooler and
// journal) and forgets them; nothing when none were collected.
bool SendCouponImageData(JobContext& job);

}  // namespace lt77
