#pragma once
// The whole object model of the planning program stand-in.
#include "platform/msproject/Application.h"
#include "platform/msproject/Assignment.h"
#include "platform/msproject/Calendar.h"
#include "platform/msproject/CommandBars.h"
#include "platform/msproject/DocumentProperties.h"
#include "platform/msproject/Project.h"
#include "platform/msproject/Resource.h"
#include "platform/msproject/Task.h"
#include "platform/msproject/VBE.h"
