// Workbooks are parsed by the library in a worker of their own, so that a
// damaged file that sends it into an endless loop or a huge allocation is
// ended after a time limit instead of freezing the page. A ZIP-based workbook
// is first checked by our own ZIP reader: the library unpacks every entry at
// once, so what it gets is bounded there (64 MB per entry, 128 MB in all).
import { L } from '../globals.js';

const WERKMAP_TIJD = 10000;
const LIBRARY = 'vendor/xlsx.full.min.js';
const ZIP_MAGIC = [0x50, 0x4b, 0x03, 0x04];

const PASSWORD_ERROR = 'Deze werkmap is beveiligd met een wachtwoord. Sla hem zonder wachtwoord op en probeer het opnieuw.';
const DAMAGED_ERROR = 'Deze spreadsheet kon niet gelezen worden. Het bestand is beschadigd of heeft een onbekende indeling.';
const TOO_LARGE_ERROR = 'Deze spreadsheet pakt uit tot meer dan 64 MB per onderdeel of 128 MB in totaal en wordt daarom niet gelezen.';
const TIME_ERROR = `Het lezen van deze spreadsheet duurde langer dan ${WERKMAP_TIJD / 1000} seconden en is afgebroken. Het bestand is waarschijnlijk beschadigd.`;

// A ZIP's own encryption flag is never how Office or OpenDocument protect a
// file: said of a ZIP entry, it means a damaged file, not a password.
const isPassword = (message) => /password|encrypt/i.test(message) && !/zip encryption/i.test(message);
const libraryError = (message, cause) => new Error(isPassword(String(message)) ? PASSWORD_ERROR : DAMAGED_ERROR, { cause });

// The worker's whole code: it must not refer to anything outside itself.
function werker() {
  self.onmessage = ({ data }) => {
    try {
      self.postMessage({ wb: self.XLSX.read(data.data, { type: data.type, ...data.opties }) });
    } catch (err) {
      self.postMessage({ fout: String(err?.message ?? err) });
    }
  };
  self.postMessage({ klaar: true });
}

let _worker = null;
let _rij = Promise.resolve();

// A worker that could not start (a page opened from a local folder) gives null:
// the workbook is then parsed in the page, as before there were workers.
function startWorker() {
  const url = URL.createObjectURL(new Blob([`importScripts(${JSON.stringify(new URL(LIBRARY, location.href).href)});(${werker})();`],
    { type: 'text/javascript' }));
  return new Promise((resolve) => {
    let worker;
    try {
      worker = new Worker(url);
    } catch {
      resolve(null);
      return;
    }
    worker.onmessage = ({ data }) => resolve(data.klaar ? worker : null);
    worker.onerror = (event) => {
      event.preventDefault();
      worker.terminate();
      resolve(null);
    };
  }).finally(() => URL.revokeObjectURL(url));
}

function inWorker(worker, data, type, opties) {
  return new Promise((resolve, reject) => {
    const stop = (err) => {
      clearTimeout(timer);
      worker.onmessage = null;
      worker.onerror = null;
      reject(err);
    };
    // Overrun or crash: the worker is ended, all it holds freed, and the next file gets a new one.
    const end = (message) => {
      worker.terminate();
      _worker = null;
      stop(new Error(message));
    };
    const timer = setTimeout(() => end(TIME_ERROR), WERKMAP_TIJD);
    worker.onmessage = ({ data: answer }) => {
      if (answer.fout === undefined) {
        clearTimeout(timer);
        resolve(answer.wb);
      } else stop(libraryError(answer.fout));
    };
    worker.onerror = (event) => {
      event.preventDefault();
      end(DAMAGED_ERROR);
    };
    worker.postMessage({ data, type, opties });
  });
}

function inPage(data, type, opties) {
  try {
    return globalThis.XLSX.read(data, { type, ...opties });
  } catch (cause) {
    throw libraryError(cause?.message, cause);
  }
}

async function parse(data, type, opties) {
  if (typeof Worker === 'undefined') return inPage(data, type, opties);
  _worker ??= startWorker();
  const worker = await _worker;
  return worker ? inWorker(worker, data, type, opties) : inPage(data, type, opties);
}

async function checkZip(bytes) {
  if (!ZIP_MAGIC.every((b, i) => bytes[i] === b)) return;
  try {
    await L().zipControle(bytes);
  } catch (cause) {
    throw new Error(cause?.code === 'ZIP_TE_GROOT' ? TOO_LARGE_ERROR : DAMAGED_ERROR, { cause });
  }
}

// Bytes (type "array") or text (type "string"); the workbook as the library reads it.
// Files are read one after another, through the one worker.
export function leesWerkmap(data, type, opties) {
  const read = _rij.then(async () => {
    if (type === 'array') await checkZip(data);
    return parse(data, type, opties);
  });
  _rij = read.catch(() => {});
  return read;
}
