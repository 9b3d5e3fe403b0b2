// Holds the page's OCR until the test lets it go, so that what a test does
// during a scan meets the scan for certain: in the hosted edition the trained
// data of the page's engine, in the desktop edition every POST /ocr.
export async function houdOcrVast(page) {
  const desktop = await page.evaluate(() => Boolean(window.ANON_STATUS));
  let gevraagd;
  let laatGaan;
  const bezig = new Promise((resolve) => { gevraagd = resolve; });
  const los = new Promise((resolve) => { laatGaan = resolve; });
  await page.route(desktop ? '**/ocr' : '**/vendor/tesseract/nld.traineddata.gz', async (route) => {
    gevraagd();
    await los;
    await route.fallback();
  });
  // `bezig` is fulfilled once the scan waits on the held request.
  return { bezig, laatGaan };
}
