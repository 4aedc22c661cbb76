// JPEG decoding through libjpeg with an error manager that returns to the caller.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "thumbs/picture_decode.h"

namespace velmora {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

// libjpeg's own handler ends the process; jump back into Run instead.
[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// libjpeg's own memory for one picture, beyond the pixels handed out. A file of several scans
// (a progressive one) keeps every coefficient of the whole picture at its source size, about
// two bytes per sample, however far the output is reduced; a forged header would otherwise
// make a few hundred bytes ask for gigabytes.
constexpr long kMaxLibraryMemory = 256L << 20;
constexpr long kMaxCoefficientBytes = 224L << 20;
// No camera or scanner makes a picture this large, and an arithmetic-coded scan whose data
// ends early goes on decoding zeros: a forged header would cost seconds of decoding nothing.
constexpr std::int64_t kMaxSourcePixels = std::int64_t{1} << 29;

// Warnings are not printed. Running out of data is a failure rather than a picture with a
// grey lower part, whether the file simply stops or a Huffman-coded scan meets the end marker
// before its last row (that marker then stands where the cut was). Other damage that libjpeg
// gets past is tolerated, as viewers do, and only marks the picture damaged.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  const int code = cinfo->err->msg_code;
  if (code == JWRN_JPEG_EOF) ErrorExit(cinfo);
  if (code == JWRN_HIT_MARKER && cinfo->is_decompressor) {
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->unread_marker == JPEG_EOI && d->input_iMCU_row + 1 < d->total_iMCU_rows) ErrorExit(cinfo);
  }
  cinfo->err->num_warnings++;
}

// The whole-picture coefficient arrays a file of several scans needs, as libjpeg sizes them.
std::int64_t CoefficientBytes(const jpeg_decompress_struct& cinfo) {
  std::int64_t bytes = 0;
  for (int ci = 0; ci < cinfo.num_components; ++ci) {
    const jpeg_component_info& c = cinfo.comp_info[ci];
    const std::int64_t h = c.h_samp_factor > 0 ? c.h_samp_factor : 1, v = c.v_samp_factor > 0 ? c.v_samp_factor : 1;
    const std::int64_t across = (std::int64_t{c.width_in_blocks} + h - 1) / h * h;
    const std::int64_t down = (std::int64_t{c.height_in_blocks} + v - 1) / v * v;
    bytes += across * down * static_cast<std::int64_t>(sizeof(JBLOCK));
  }
  return bytes;
}

// A progressive file cut between scans ends cleanly, but some coefficients never got their
// last refinement (or any value at all).
bool ScansMissing(const jpeg_decompress_struct& cinfo) {
  if (!cinfo.progressive_mode || !cinfo.coef_bits) return false;
  for (int ci = 0; ci < cinfo.num_components; ++ci) {
    for (int k = 0; k < DCTSIZE2; ++k) {
      if (cinfo.coef_bits[ci][k] != 0) return true;
    }
  }
  return false;
}

// libjpeg calls this before each row it reads in. An arithmetic-coded scan that has met the
// end marker goes on with zero data and no warning. Legitimate files do that too (their
// encoder drops trailing zero bytes, which may stand for many uniform rows), so an end marker
// met before the scan's last row only marks the picture damaged.
struct ProgressWatch {
  jpeg_progress_mgr pub;
  bool endedEarly = false;
};

void WatchProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->arith_code && d->unread_marker == JPEG_EOI && d->input_iMCU_row < d->total_iMCU_rows)
    reinterpret_cast<ProgressWatch*>(cinfo->progress)->endedEarly = true;
}

// libjpeg's source reading a ByteStream. Its end is met as libjpeg's own memory source meets
// it (a warning, then an end marker), so a stream behaves as its bytes whole would.
struct StreamSource {
  jpeg_source_mgr pub;
  ByteStream* stream = nullptr;
  const char* failure = nullptr;  // why the stream could not be read
};

void StartSource(j_decompress_ptr) {}
void EndSource(j_decompress_ptr) {}

boolean FillSource(j_decompress_ptr cinfo) {
  static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  const char* why = nullptr;
  if (!src->stream->Next(data, size, why)) {
    src->failure = why ? why : "cannot read the file";
    ErrorExit(reinterpret_cast<j_common_ptr>(cinfo));
  }
  if (size == 0) {
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->pub.next_input_byte = kEnd;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
  }
  src->pub.next_input_byte = data;
  src->pub.bytes_in_buffer = size;
  return TRUE;
}

void SkipSource(j_decompress_ptr cinfo, long count) {
  jpeg_source_mgr* src = cinfo->src;
  if (count <= 0) return;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    FillSource(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

// A buffer as one piece.
class WholeBuffer : public ByteStream {
 public:
  WholeBuffer(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Next(const std::uint8_t*& data, std::size_t& size, const char*&) override {
    data = data_;
    size = size_;
    size_ = 0;
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

struct Job {
  ByteStream* stream = nullptr;
  int minWidth = 0;
  int minHeight = 0;
  DecodedPicture* out = nullptr;  // null: the header only
  RowSink* rows = nullptr;        // null: into out's pixels
  std::vector<std::uint32_t> row;
  int width = 0;
  int height = 0;
  std::vector<JSAMPLE> inkRow;
  const char* refusal = nullptr;

  jpeg_decompress_struct cinfo;
  ErrorManager err;
  ProgressWatch progress;
  StreamSource source;
  bool created = false;

  Job() {
    source.pub.init_source = StartSource;
    source.pub.fill_input_buffer = FillSource;
    source.pub.skip_input_data = SkipSource;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = EndSource;
    source.pub.next_input_byte = nullptr;
    source.pub.bytes_in_buffer = 0;
    progress.pub = jpeg_progress_mgr();
    progress.pub.progress_monitor = WatchProgress;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.message[0] = '\0';
  }
  ~Job() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;
};

// Four-colour ink to screen colour. Files with Adobe's marker store the ink inverted, as
// Photoshop writes them.
void InkRowToPixels(const JSAMPLE* ink, std::uint32_t* out, int width, bool inverted) {
  for (int x = 0; x < width; ++x, ink += 4) {
    int c = ink[0], m = ink[1], y = ink[2], k = ink[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    const std::uint32_t r = static_cast<std::uint32_t>(c * k / 255);
    const std::uint32_t g = static_cast<std::uint32_t>(m * k / 255);
    const std::uint32_t b = static_cast<std::uint32_t>(y * k / 255);
    out[x] = b | (g << 8) | (r << 16);
  }
}

// Every libjpeg call that may leave by longjmp runs in this frame, which holds no object with
// a destructor, so the jump skips none; the decompressor is destroyed by Job.
bool Run(Job& job) {
  if (setjmp(job.err.jump)) return false;
  jpeg_create_decompress(&job.cinfo);
  job.created = true;
  job.cinfo.progress = &job.progress.pub;
  job.source.stream = job.stream;
  job.cinfo.src = &job.source.pub;
  jpeg_read_header(&job.cinfo, TRUE);
  job.width = static_cast<int>(job.cinfo.image_width);
  job.height = static_cast<int>(job.cinfo.image_height);
  if (!job.out) return true;

  jpeg_decompress_struct& cinfo = job.cinfo;
  const bool ink = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = ink ? JCS_CMYK : JCS_EXT_BGRX;
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned int>(JpegScaleDenominator(job.width, job.height, job.minWidth, job.minHeight));
  jpeg_calc_output_dimensions(&cinfo);
  const int outWidth = static_cast<int>(cinfo.output_width);
  const int outHeight = static_cast<int>(cinfo.output_height);
  const bool severalScans = jpeg_has_multiple_scans(&cinfo) != FALSE;
  if (static_cast<std::int64_t>(outWidth) * outHeight > kMaxDecodedPixels ||
      static_cast<std::int64_t>(job.width) * job.height > kMaxSourcePixels ||
      (severalScans && CoefficientBytes(cinfo) > kMaxCoefficientBytes)) {
    job.refusal = "picture too large";
    return false;
  }
  // Whatever the estimate above misses still fails rather than taking the machine's memory.
  cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
  DecodedPicture& out = *job.out;
  out.damaged = false;
  out.embeddedThumbnail = false;
  out.sourceWidth = job.width;
  out.sourceHeight = job.height;
  if (job.rows) {
    out.pixels = Raster();
    job.row.resize(static_cast<std::size_t>(outWidth));
    job.rows->Begin(outWidth, outHeight, job.width, job.height);
  } else {
    out.pixels.Resize(outWidth, outHeight);
  }
  if (ink) job.inkRow.resize(static_cast<std::size_t>(outWidth) * 4);

  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint32_t* pixels = job.rows ? job.row.data() : out.pixels.Row(static_cast<int>(cinfo.output_scanline));
    JSAMPROW row = ink ? job.inkRow.data() : reinterpret_cast<JSAMPROW>(pixels);
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
      job.refusal = "no more data";
      return false;
    }
    if (ink) InkRowToPixels(job.inkRow.data(), pixels, outWidth, cinfo.saw_Adobe_marker);
    if (job.rows) job.rows->Row(pixels);
  }
  const bool scansMissing = ScansMissing(cinfo);
  jpeg_finish_decompress(&cinfo);
  out.damaged = job.progress.endedEarly || scansMissing || cinfo.err->num_warnings > 0;
  return true;
}

bool RunJob(Job& job, std::string* error) {
  bool ok = false;
  try {
    ok = Run(job);
  } catch (const std::bad_alloc&) {
    job.refusal = "out of memory";
  }
  // Past the memory bound libjpeg asks for a backing store, which it does not have.
  if (!ok && !job.refusal) job.refusal = job.source.failure;
  if (!ok && !job.refusal && job.err.pub.msg_code == JERR_NO_BACKING_STORE) job.refusal = "picture too large";
  if (!ok && error) *error = job.refusal ? job.refusal : job.err.message;
  return ok;
}

}  // namespace

int JpegScaleDenominator(int width, int height, int minWidth, int minHeight) {
  if (minWidth <= 0 || minHeight <= 0) return 1;
  for (int d = 8; d > 1; d /= 2) {
    if ((std::int64_t{width} + d - 1) / d >= minWidth && (std::int64_t{height} + d - 1) / d >= minHeight) return d;
  }
  return 1;
}

bool ReadJpegSize(const std::uint8_t* data, std::size_t size, int& width, int& height) {
  if (size == 0) return false;
  WholeBuffer whole(data, size);
  Job job;
  job.stream = &whole;
  if (!RunJob(job, nullptr)) return false;
  width = job.width;
  height = job.height;
  return true;
}

bool DecodeJpeg(ByteStream& data, int minWidth, int minHeight, DecodedPicture& out, std::string* error,
                RowSink* rows) {
  Job job;
  job.stream = &data;
  job.rows = rows;
  job.minWidth = minWidth;
  job.minHeight = minHeight;
  job.out = &out;
  return RunJob(job, error);
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, int minWidth, int minHeight,
                DecodedPicture& out, std::string* error) {
  if (size == 0) {
    if (error) *error = "empty file";
    return false;
  }
  WholeBuffer whole(data, size);
  return DecodeJpeg(whole, minWidth, minHeight, out, error);
}

}  // namespace velmora
