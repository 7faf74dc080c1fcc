// Included by the SDK's winddi.h; the driver needs nothing from Direct3D.
#pragma once
