// libsolvisa's C functions called in any order with any arguments a caller
// may pass within the VISA contract (buffers as large as the counts given),
// against a bench that answers at once and waits at most 1 ms for silence.
#include "fuzz/FuzzInput.h"
#include "instruments/VisaFunctions.h"

#include <QFile>

#include <array>
#include <cstring>


namespace {

const char kBench[] = R"({"name": "fuzz", "latencyMs": 0, "timeoutMs": 1,
  "instruments": [
    {"resource": "GPIB0::28::INSTR", "type": 24},
    {"resource": "GPIB0::20::INSTR", "type": 59},
    {"resource": "ASRL1::INSTR", "type": 21},
    {"resource": "TCPIP::192.168.0.1::INSTR", "type": 72},
    {"resource": "GPIB0::14::INSTR", "type": 69, "secondary": 7}
  ], "dut": {"kind": "filter"}})";

const char *const kResources[] = {"GPIB0::28::INSTR", "GPIB0::20::INSTR", "ASRL1::INSTR",
                                  "TCPIP::192.168.0.1::INSTR", "GPIB0::14::7::INSTR", "GPIB0::3::INSTR"};

const ViAttr kAttributes[] = {VI_ATTR_RSRC_NAME,      VI_ATTR_MAX_QUEUE_LENGTH, VI_ATTR_SEND_END_EN,
                              VI_ATTR_TERMCHAR,       VI_ATTR_TMO_VALUE,        VI_ATTR_IO_PROT,
                              VI_ATTR_ASRL_BAUD,      VI_ATTR_ASRL_DATA_BITS,   VI_ATTR_ASRL_PARITY,
                              VI_ATTR_ASRL_STOP_BITS, VI_ATTR_ASRL_FLOW_CNTRL,  VI_ATTR_RD_BUF_OPER_MODE,
                              VI_ATTR_WR_BUF_OPER_MODE, VI_ATTR_SUPPRESS_END_EN, VI_ATTR_TERMCHAR_EN,
                              VI_ATTR_ASRL_END_IN,    VI_ATTR_ASRL_END_OUT,     VI_ATTR_ASRL_XON_CHAR,
                              VI_ATTR_ASRL_XOFF_CHAR, VI_ATTR_RM_SESSION};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
  const QString bench = FuzzScratchDir() + QStringLiteral("/bench.json");
  QFile file(bench);
  if (file.open(QIODevice::WriteOnly))
    file.write(kBench);
  qputenv("SOLVISA_BENCH", bench.toLocal8Bit());
  qunsetenv("SOLVISA_TRACE");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  FuzzInput input(data, size);
  ViSession rm = VI_NULL;
  if (viOpenDefaultRM(&rm) < VI_SUCCESS)
    return 0;
  // Objects the input may address: the manager, its sessions and lists, and
  // numbers that name nothing.
  std::array<ViObject, 8> objects{rm, 0, 0, 0, 0, 0, 0, 0xFFFFFFFFu};
  ViChar text[256];
  std::array<ViByte, 512> buffer{};
  for (int op = 0; op < 64 && !input.empty(); ++op) {
    const uint8_t code = input.byte();
    ViObject &target = objects[input.byte() % objects.size()];
    ViObject &slot = objects[1 + input.byte() % 6];
    switch (code % 12) {
    case 0: {
      const QByteArray name = input.byte() & 1 ? QByteArray(kResources[input.byte() % 6]) : input.line();
      viOpen(target, name.constData(), input.u32(), input.u32() % 5, &slot);
      break;
    }
    case 1: {
      const QByteArray bytes = input.line() + '\n';
      ViUInt32 written = 0;
      viWrite(target, reinterpret_cast<ViConstBuf>(bytes.constData()), ViUInt32(bytes.size()), &written);
      break;
    }
    case 2: {
      ViUInt32 got = 0;
      viRead(target, buffer.data(), input.u32() % (buffer.size() + 1), input.byte() & 1 ? &got : nullptr);
      break;
    }
    case 3:
      viSetAttribute(target, kAttributes[input.byte() % std::size(kAttributes)], input.u32());
      break;
    case 4: {
      alignas(8) ViChar value[256] = {};
      viGetAttribute(target, kAttributes[input.byte() % std::size(kAttributes)], value);
      break;
    }
    case 5:
      viClear(target);
      break;
    case 6: {
      ViUInt16 stb = 0;
      viReadSTB(target, &stb);
      break;
    }
    case 7:
      viGpibControlREN(target, ViUInt16(input.byte()));
      break;
    case 8:
      viClose(target);
      target = 0;
      break;
    case 9: {
      ViUInt32 count = 0;
      const QByteArray expr = input.line();
      viFindRsrc(target, expr.constData(), &slot, &count, text);
      break;
    }
    case 10:
      viFindNext(target, text);
      break;
    default:
      viStatusDesc(target, ViStatus(input.u32()), text);
      viSetBuf(target, ViUInt16(input.byte()), input.u32());
    }
  }
  viClose(rm);
  return 0;
}
