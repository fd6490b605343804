// The framework's services in one include, as the programs use them.
#pragma once
#include "framework/afxapp.h"
#include "framework/afxcmn.h"
#include "framework/afxctl.h"
#include "framework/afxdisp.h"
#include "framework/afxdlg.h"
#include "framework/afxgdi.h"
#include "framework/afxocc.h"
#include "framework/afxstr.h"
#include "framework/afxthrd.h"
#include "framework/afxwnd.h"
