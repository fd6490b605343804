// The decoders of the library's own code. Each is an image object that reads
// one format; the dispatch makes a fresh one per attempt.
#pragma once

#include "image_object.h"

class CImageObjectBMP : public CImageObject {
 public:
  using CImageObject::Decode;
  bool Decode(CImageStream& stream) override;
};

class CImageObjectICO : public CImageObject {
 public:
  using CImageObject::Decode;
  bool Decode(CImageStream& stream) override;
};

class CImageObjectTGA : public CImageObject {
 public:
  using CImageObject::Decode;
  bool Decode(CImageStream& stream) override;
};

class CImageObjectPCX : public CImageObject {
 public:
  using CImageObject::Decode;
  bool Decode(CImageStream& stream) override;
};

class CImageObjectWBMP : public CImageObject {
 public:
  using CImageObject::Decode;
  bool Decode(CImageStream& stream) override;
};

#ifdef _WIN32
class CImageObjectWMF : public CImageObject {
 public:
  using CImageObject::Decode;
  bool Decode(CImageStream& stream) override;
};
#endif
