-- wrk script: the same ContentDirectory Browse (BrowseDirectChildren,
-- StartingIndex 0, Filter "*", no SortCriteria) on every connection.
--   wrk -s bench/browse_wrk.lua http://HOST:PORT/CONTROL -- OBJECT_ID [COUNT]
-- done() prints one line that bench_server_vs_minidlna parses:
--   browse: requests=N seconds=S rps=R p50_ms=.. p90_ms=.. p99_ms=.. max_ms=..
--     non2xx=N short=N items_first=N errors_connect=N errors_read=N
--     errors_write=N errors_timeout=N
-- "short" counts 2xx answers whose NumberReturned is not COUNT;
-- items_first is the number of DIDL items in the Result of the first answer
-- any thread saw (counted once: counting every answer would load wrk).

local function escape(text)
   return (text:gsub("&", "&amp;"):gsub("<", "&lt;"):gsub(">", "&gt;"))
end

local threads = {}

function setup(thread)
   table.insert(threads, thread)
end

function init(args)
   local id = args[1] or "0"
   expected = tonumber(args[2] or "1000")
   non2xx = 0
   short = 0
   items_first = -1

   wrk.method = "POST"
   wrk.headers["Content-Type"] = 'text/xml; charset="utf-8"'
   wrk.headers["SOAPACTION"] = '"urn:schemas-upnp-org:service:ContentDirectory:1#Browse"'
   wrk.body = '<?xml version="1.0" encoding="utf-8"?>\r\n'
      .. '<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/"'
      .. ' s:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/"><s:Body>'
      .. '<u:Browse xmlns:u="urn:schemas-upnp-org:service:ContentDirectory:1">'
      .. '<ObjectID>' .. escape(id) .. '</ObjectID>'
      .. '<BrowseFlag>BrowseDirectChildren</BrowseFlag>'
      .. '<Filter>*</Filter>'
      .. '<StartingIndex>0</StartingIndex>'
      .. '<RequestedCount>' .. expected .. '</RequestedCount>'
      .. '<SortCriteria></SortCriteria>'
      .. '</u:Browse></s:Body></s:Envelope>\r\n'
end

local function count(body, needle)
   local n, at = 0, 1
   while true do
      local found = body:find(needle, at, true)
      if not found then return n end
      n = n + 1
      at = found + #needle
   end
end

function response(status, headers, body)
   if status < 200 or status > 299 then
      non2xx = non2xx + 1
      return
   end
   -- A plain find: NumberReturned follows the whole Result.
   local at = body:find("NumberReturned>", 1, true)
   local returned = at and tonumber(body:match("^(%d+)", at + 15))
   if returned ~= expected then short = short + 1 end
   if items_first < 0 then
      items_first = count(body, "&lt;item ") + count(body, "<item ")
   end
end

function done(summary, latency, requests)
   local bad, missing, first = 0, 0, -1
   for _, thread in ipairs(threads) do
      bad = bad + thread:get("non2xx")
      missing = missing + thread:get("short")
      local items = thread:get("items_first")
      if first < 0 then first = items end
   end
   local seconds = summary.duration / 1e6
   local e = summary.errors
   io.write(string.format(
      "browse: requests=%d seconds=%.3f rps=%.2f p50_ms=%.3f p90_ms=%.3f p99_ms=%.3f"
         .. " max_ms=%.3f non2xx=%d short=%d items_first=%d errors_connect=%d"
         .. " errors_read=%d errors_write=%d errors_timeout=%d\n",
      summary.requests, seconds, summary.requests / seconds,
      latency:percentile(50) / 1000, latency:percentile(90) / 1000,
      latency:percentile(99) / 1000, latency.max / 1000, bad, missing, first,
      e.connect, e.read, e.write, e.timeout))
end
