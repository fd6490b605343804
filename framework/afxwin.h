// The framework's services in one include, as the programs use them.
#pragma once
#include "afxapp.h"
#include "afxcmn.h"
#include "afxctl.h"
#include "afxdisp.h"
#include "afxdlg.h"
#include "afxgdi.h"
#include "afxocc.h"
#include "afxstr.h"
#include "afxthrd.h"
#include "afxwnd.h"
