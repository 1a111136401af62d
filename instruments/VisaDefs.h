/* VISA types, status codes and attribute identifiers, written from the
 * published VISA standard (VPP-4.3). Plain C: shared by the program's
 * instrument layer and by the project's own VISA library libsolvisa. */
#ifndef SOLVANE_VISADEFS_H
#define SOLVANE_VISADEFS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t ViUInt32;
typedef int32_t ViInt32;
typedef uint16_t ViUInt16;
typedef int16_t ViInt16;
typedef unsigned char ViByte;
typedef char ViChar;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViAttr;
typedef uint64_t ViAttrState; /* 64 bits wide on 64-bit platforms */
typedef ViUInt32 ViAccessMode;
typedef ViObject ViFindList;
typedef ViUInt16 ViBoolean;
typedef const ViChar *ViConstString;
typedef const ViChar *ViConstRsrc;
typedef const ViByte *ViConstBuf;
typedef ViByte *ViBuf;
typedef ViSession *ViPSession;
typedef ViUInt32 *ViPUInt32;
typedef ViUInt16 *ViPUInt16;
typedef ViFindList *ViPFindList;

#define VI_NULL 0
#define VI_TRUE 1
#define VI_FALSE 0

/* Completion and warning codes */
#define VI_SUCCESS ((ViStatus)0)
#define VI_SUCCESS_TERM_CHAR ((ViStatus)0x3FFF0005)
#define VI_SUCCESS_MAX_CNT ((ViStatus)0x3FFF0006)
#define VI_WARN_CONFIG_NLOADED ((ViStatus)0x3FFF0077)
#define VI_SUCCESS_DEV_NPRESENT ((ViStatus)0x3FFF007D)
#define VI_WARN_NSUP_ATTR_STATE ((ViStatus)0x3FFF0084)

/* Error codes */
#define VI_ERROR_SYSTEM_ERROR ((ViStatus)0xBFFF0000)
#define VI_ERROR_INV_OBJECT ((ViStatus)0xBFFF000E)
#define VI_ERROR_RSRC_LOCKED ((ViStatus)0xBFFF000F)
#define VI_ERROR_RSRC_NFOUND ((ViStatus)0xBFFF0011)
#define VI_ERROR_INV_RSRC_NAME ((ViStatus)0xBFFF0012)
#define VI_ERROR_TMO ((ViStatus)0xBFFF0015)
#define VI_ERROR_NSUP_ATTR ((ViStatus)0xBFFF001D)
#define VI_ERROR_NSUP_ATTR_STATE ((ViStatus)0xBFFF001E)
#define VI_ERROR_ALLOC ((ViStatus)0xBFFF003C)
#define VI_ERROR_INV_SETUP ((ViStatus)0xBFFF003A)
#define VI_ERROR_INV_MASK ((ViStatus)0xBFFF003D)
#define VI_ERROR_IO ((ViStatus)0xBFFF003E)
#define VI_ERROR_NSUP_OPER ((ViStatus)0xBFFF0067)
#define VI_ERROR_INV_MODE ((ViStatus)0xBFFF0091)
#define VI_ERROR_LIBRARY_NFOUND ((ViStatus)0xBFFF009E)
#define VI_ERROR_INV_EVENT ((ViStatus)0xBFFF0026)
#define VI_ERROR_INV_MECH ((ViStatus)0xBFFF0027)
#define VI_ERROR_USER_BUF ((ViStatus)0xBFFF0071)
#define VI_ERROR_INV_PARAMETER ((ViStatus)0xBFFF0078)
#define VI_ERROR_CONN_LOST ((ViStatus)0xBFFF00A6)
#define VI_ERROR_INV_SESSION VI_ERROR_INV_OBJECT

/* Attributes */
#define VI_ATTR_RSRC_NAME ((ViAttr)0xBFFF0002UL)
#define VI_ATTR_MAX_QUEUE_LENGTH ((ViAttr)0x3FFF0005UL)
#define VI_ATTR_SEND_END_EN ((ViAttr)0x3FFF0016UL)
#define VI_ATTR_TERMCHAR ((ViAttr)0x3FFF0018UL)
#define VI_ATTR_TMO_VALUE ((ViAttr)0x3FFF001AUL)
#define VI_ATTR_IO_PROT ((ViAttr)0x3FFF001CUL)
#define VI_ATTR_ASRL_BAUD ((ViAttr)0x3FFF0021UL)
#define VI_ATTR_ASRL_DATA_BITS ((ViAttr)0x3FFF0022UL)
#define VI_ATTR_ASRL_PARITY ((ViAttr)0x3FFF0023UL)
#define VI_ATTR_ASRL_STOP_BITS ((ViAttr)0x3FFF0024UL)
#define VI_ATTR_ASRL_FLOW_CNTRL ((ViAttr)0x3FFF0025UL)
#define VI_ATTR_RD_BUF_OPER_MODE ((ViAttr)0x3FFF002AUL)
#define VI_ATTR_WR_BUF_OPER_MODE ((ViAttr)0x3FFF002DUL)
#define VI_ATTR_SUPPRESS_END_EN ((ViAttr)0x3FFF0036UL)
#define VI_ATTR_TERMCHAR_EN ((ViAttr)0x3FFF0038UL)
#define VI_ATTR_ASRL_END_IN ((ViAttr)0x3FFF00B3UL)
#define VI_ATTR_ASRL_END_OUT ((ViAttr)0x3FFF00B4UL)
#define VI_ATTR_ASRL_XON_CHAR ((ViAttr)0x3FFF00C1UL)
#define VI_ATTR_ASRL_XOFF_CHAR ((ViAttr)0x3FFF00C2UL)
#define VI_ATTR_RM_SESSION ((ViAttr)0x3FFF00C4UL)
#define VI_ATTR_INTF_TYPE ((ViAttr)0x3FFF0171UL)
#define VI_ATTR_INTF_NUM ((ViAttr)0x3FFF0176UL)
#define VI_ATTR_RSRC_CLASS ((ViAttr)0xBFFF0001UL)

/* Attribute values and operation arguments */
#define VI_TMO_IMMEDIATE 0UL
#define VI_NO_LOCK 0
#define VI_READ_BUF 1
#define VI_WRITE_BUF 2
#define VI_FLUSH_ON_ACCESS 1
#define VI_PROT_NORMAL 1
#define VI_ASRL_FLOW_NONE 0
#define VI_ASRL_FLOW_XON_XOFF 1
#define VI_ASRL_FLOW_RTS_CTS 2
#define VI_ASRL_FLOW_DTR_DSR 4
#define VI_ASRL_END_NONE 0
#define VI_ASRL_END_TERMCHAR 2
#define VI_GPIB_REN_DEASSERT 0
#define VI_GPIB_REN_ASSERT 1
#define VI_GPIB_REN_ADDRESS_GTL 6
#define VI_FIND_BUFLEN 256
#define VI_READ_BUF_DISCARD 4
#define VI_WRITE_BUF_DISCARD 8
#define VI_IO_IN_BUF 16
#define VI_IO_OUT_BUF 32
#define VI_IO_IN_BUF_DISCARD 64
#define VI_IO_OUT_BUF_DISCARD 128
#define VI_INTF_GPIB 1
#define VI_INTF_ASRL 4
#define VI_INTF_TCPIP 6
#define VI_INTF_USB 7
#define VI_EVENT_SERVICE_REQ ((ViUInt32)0x3FFF200BUL)
#define VI_ALL_ENABLED_EVENTS ((ViUInt32)0x3FFF7FFFUL)
#define VI_QUEUE 1
#define VI_HNDLR 2
#define VI_SUSPEND_HNDLR 4
#define VI_ALL_MECH 0xFFFF

#ifdef __cplusplus
}
#endif

#endif
